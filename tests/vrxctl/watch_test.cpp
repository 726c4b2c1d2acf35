// `vrxctl watch` in-process on the emulator's virtual clock: the first line
// shows every element, later lines only what changed, at the time it was
// read; SIGINT or SIGTERM ends it with exit code 0 and the unit parked; an
// unplugged unit ends it with the failure.
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "KL_VRX/emulator.h"
#include "session.h"
#include "watch_clock.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXEmu::TEmulatedUnit;

namespace {

// Runs a script of the test at each wait; the time a line shows is the tick.
class TVirtualClock : public TWatchClock {
  public:
    using TScript = std::function<void(unsigned wait)>;
    TVirtualClock(TEmulatedBus& bus, TScript script) : bus(bus), script(std::move(script)) {}

    std::string Now() override { return std::to_string(bus.Tick()); }
    void Wait(uint32_t ms) override {
        bus.SetTick(bus.Tick() + ms);
        script(++waits);
        // Long after every row's script is done.
        if (waits == 50)
            throw std::runtime_error("watch did not stop");
    }

  private:
    TEmulatedBus& bus;
    TScript script;
    unsigned waits = 0;
};

// Takes what the stream prints while it lives.
class TCapture {
  public:
    explicit TCapture(std::ostream& stream) : stream(stream), saved(stream.rdbuf(text.rdbuf())) {}
    ~TCapture() { stream.rdbuf(saved); }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(text.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    std::string Text() const { return text.str(); }

  private:
    std::ostream& stream;
    std::ostringstream text;
    std::streambuf* saved;
};

struct TWatchRow {
    const char* name;
    std::vector<std::string> words;
    bool json;
    uint32_t intervalMs;
    // At wait n, what happens to the unit (or the process).
    std::function<void(unsigned wait, TEmulatedBus&, TEmulatedUnit*&)> script;
    std::vector<std::string> lines;
    int exitCode;
    const char* error;  // expected in stderr; "" for none
};

std::ostream& operator<<(std::ostream& out, const TWatchRow& row) {
    return out << row.name;
}

// Register 21 takes device value 3 (API value 2) at the third wait, and the
// signal comes at the fifth.
void ChangeThenSignal(int signal, unsigned wait, TEmulatedBus&, TEmulatedUnit*& unit) {
    if (wait == 3)
        unit->SetRegister(21, 3);
    if (wait == 5)
        std::raise(signal);
}

class Watch : public ::testing::TestWithParam<TWatchRow> {};

TEST_P(Watch, PrintsChangesUntilStopped) {
    const TWatchRow& row = GetParam();
    TEmulatedBus bus;
    TEmulatedUnit* unit = &bus.AttachUnit(1);
    TVirtualClock clock(bus, [&](unsigned wait) { row.script(wait, bus, unit); });
    TSessionOptions options;
    options.json = row.json;
    options.watchIntervalMs = row.intervalMs;
    options.watchClock = &clock;
    int exitCode = -1;
    TCapture out(std::cout);
    TCapture err(std::cerr);
    {
        TSession session(options);
        bus.SetTick(0);
        EXPECT_NO_THROW(exitCode = session.Run(row.words));
        // Watch has deleted its controller: the unit is parked already.
        if (unit != nullptr) {
            EXPECT_EQ(unit->Register(18), 127);
        }
    }
    EXPECT_EQ(exitCode, row.exitCode);
    EXPECT_EQ(out.Lines(), row.lines);
    if (*row.error != 0) {
        EXPECT_NE(err.Text().find(row.error), std::string::npos) << err.Text();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Watch,
    ::testing::Values(
        TWatchRow{"Sigint",
                  {"watch", "1"},
                  false,
                  200,
                  [](unsigned w, TEmulatedBus& b, TEmulatedUnit*& u) {
                      ChangeThenSignal(SIGINT, w, b, u);
                  },
                  {"0  position21 0  position20 1  position22 0  position23 0  position24 0  "
                   "position19 1",
                   "600  position21 0 -> 2"},
                  0,
                  ""},
        TWatchRow{"SigtermJson",
                  {"watch", "1", "position21"},
                  true,
                  200,
                  [](unsigned w, TEmulatedBus& b, TEmulatedUnit*& u) {
                      ChangeThenSignal(SIGTERM, w, b, u);
                  },
                  {R"({"time":"0","hostIndex":1,"position21":0})",
                   R"({"time":"600","hostIndex":1,"position21":2})"},
                  0,
                  ""},
        TWatchRow{"Interval",
                  {"watch", "1", "position21", "position20"},
                  false,
                  500,
                  [](unsigned w, TEmulatedBus& b, TEmulatedUnit*& u) {
                      ChangeThenSignal(SIGINT, w, b, u);
                  },
                  {"0  position21 0  position20 1", "1500  position21 0 -> 2"},
                  0,
                  ""},
        TWatchRow{"OtherElementChanges",
                  {"watch", "1", "position20"},
                  false,
                  200,
                  [](unsigned w, TEmulatedBus& b, TEmulatedUnit*& u) {
                      ChangeThenSignal(SIGINT, w, b, u);
                  },
                  {"0  position20 1"},
                  0,
                  ""},
        TWatchRow{"Unplugged",
                  {"watch", "1"},
                  false,
                  200,
                  [](unsigned w, TEmulatedBus& b, TEmulatedUnit*& u) {
                      if (w == 2) {
                          b.Detach(*u);
                          u = nullptr;
                      }
                  },
                  {"0  position21 0  position20 1  position22 0  position23 0  position24 0  "
                   "position19 1"},
                  ExitOperationFailed,
                  "reading position21 failed: status 5"},
        TWatchRow{"SetOnlyElement",
                  {"watch", "1", "state18"},
                  false,
                  200,
                  [](unsigned, TEmulatedBus&, TEmulatedUnit*&) {},
                  {},
                  ExitUsage,
                  "can only be set"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
