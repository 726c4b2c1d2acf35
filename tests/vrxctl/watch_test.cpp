// `vrxctl watch` in-process on the emulator's virtual clock: the first line
// shows every element, later lines only what changed, at the time it was
// read; SIGINT or SIGTERM ends it with exit code 0 and the unit parked; an
// unplugged unit ends it with the failure.
#include <gtest/gtest.h>

#include <csignal>
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

struct TWatchRow {
    const char* name;
    const char* words;  // the command, split at spaces
    bool json;
    uint32_t intervalMs;
    // At the third wait register 21 takes device value 3 (API value 2), and
    // at the fifth this signal comes; 0: the unit is unplugged at the second.
    int signal;
    std::string out;
    int exitCode;
    const char* error;  // expected in stderr; "" for none
};

// Plays the row's script at each wait; the time a line shows is the tick.
class TVirtualClock : public TWatchClock {
  public:
    TVirtualClock(TEmulatedBus& bus, TEmulatedUnit*& unit, int signal)
        : bus(bus), unit(unit), signal(signal) {}

    std::string Now() override { return std::to_string(bus.Tick()); }
    void Wait(uint32_t ms) override {
        bus.SetTick(bus.Tick() + ms);
        ++waits;
        if (signal == 0 && waits == 2) {
            bus.Detach(*unit);
            unit = nullptr;
        }
        if (signal != 0 && waits == 3)
            unit->SetRegister(21, 3);
        if (signal != 0 && waits == 5)
            std::raise(signal);
        // Long after every row's script is done.
        if (waits == 50)
            throw std::runtime_error("watch did not stop");
    }

  private:
    TEmulatedBus& bus;
    TEmulatedUnit*& unit;
    int signal;
    unsigned waits = 0;
};

class Watch : public ::testing::TestWithParam<TWatchRow> {};

TEST_P(Watch, PrintsChangesUntilStopped) {
    const TWatchRow& row = GetParam();
    TEmulatedBus bus;
    TEmulatedUnit* unit = &bus.AttachUnit(1);
    TVirtualClock clock(bus, unit, row.signal);
    TSessionOptions options;
    options.json = row.json;
    options.watchIntervalMs = row.intervalMs;
    options.watchClock = &clock;
    int exitCode = -1;
    std::ostringstream out, err;
    std::streambuf* const savedOut = std::cout.rdbuf(out.rdbuf());
    std::streambuf* const savedErr = std::cerr.rdbuf(err.rdbuf());
    {
        TSession session(options);
        bus.SetTick(0);
        std::vector<std::string> words;
        std::istringstream in(row.words);
        for (std::string word; in >> word;)
            words.push_back(word);
        EXPECT_NO_THROW(exitCode = session.Run(words));
        // Watch has deleted its controller: the unit is parked already.
        if (unit != nullptr) {
            EXPECT_EQ(unit->Register(18), 127);
        }
    }
    std::cout.rdbuf(savedOut);
    std::cerr.rdbuf(savedErr);
    EXPECT_EQ(exitCode, row.exitCode);
    EXPECT_EQ(out.str(), row.out);
    EXPECT_NE(err.str().find(row.error), std::string::npos) << err.str();
}

const std::string allElements =
    "0  position21 0  position20 1  position22 0  position23 0  position24 0  position19 1\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, Watch,
    ::testing::Values(TWatchRow{"Sigint", "watch 1", false, 200, SIGINT,
                                allElements + "600  position21 0 -> 2\n", 0, ""},
                      TWatchRow{"SigtermJson", "watch 1 position21", true, 200, SIGTERM,
                                "{\"time\":\"0\",\"hostIndex\":1,\"position21\":0}\n"
                                "{\"time\":\"600\",\"hostIndex\":1,\"position21\":2}\n",
                                0, ""},
                      TWatchRow{"Interval", "watch 1 position21 position20", false, 500, SIGINT,
                                "0  position21 0  position20 1\n1500  position21 0 -> 2\n", 0, ""},
                      TWatchRow{"Unplugged", "watch 1", false, 200, 0, allElements,
                                ExitOperationFailed, "reading position21 failed: status 5"},
                      TWatchRow{"SetOnlyElement", "watch 1 state18", false, 200, 0, "", ExitUsage,
                                "can only be set"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
