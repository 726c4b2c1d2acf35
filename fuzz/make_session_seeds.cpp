// Writes the seed corpus of session_fuzzer: planned host sessions against
// well-behaved emulated units, recorded as the fuzzer's input with every
// reply spelt out as the unit really sent it (and a few left to the
// firmware, so that mutated steps still get answers that fit). Each seed is
// replayed through the fuzzer's own reading before it is written, and must
// give the same statuses.
//
//   make_session_seeds <corpus directory>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "session/session_driver.h"

namespace {

using namespace KL_VRXFuzz;
using TBytes = std::vector<uint8_t>;

// The steps of a plan, each as the choices the session asks for
// (session_driver.h). Host indices -1 to 6 are choices 0 to 7.
TBytes Attach(uint8_t family, bool otherLaunchMode = false, uint8_t lengths = 0) {
    return {AttachUnit, static_cast<uint8_t>(family - 1), !otherLaunchMode, lengths, lengths};
}
TBytes New(uint8_t slot, int hostIndex) {
    return {Create, slot, static_cast<uint8_t>(hostIndex + 1), 0};
}
// An entry's arguments: 0 is a real pointer, value 0, the callback, flag off;
// Open's index 2 is host index 1.
TBytes Call(const char* entry, uint8_t first = 0, uint8_t second = 0, uint8_t slot = 0) {
    return {Operation, slot, EntryChoice(entry), first, second};
}
// Every read of the unit's elements and data.
TBytes EveryRead() {
    TBytes bytes;
    for (uint8_t entry = 0; entry < Entries; ++entry)
        if (std::strncmp(EntryName(entry), "Get", 3) == 0)
            bytes.insert(bytes.end(), {Operation, 0, entry, 0, 0});
    return bytes;
}

// Writes the input that replays a planned session: the plan's choices as
// they are asked for, and each report as it really went, every reply spelt
// out byte for byte (or left to the firmware). Past the plan it records
// nothing, as the replay then runs on the input's defaults.
class TRecordingInput final : public KL_ISessionInput {
  public:
    TRecordingInput(TBytes plan, bool spellReplies) : plan(std::move(plan)), spell(spellReplies) {}

    bool AtEnd() const override { return next >= plan.size(); }
    uint8_t Choice() override { return AtEnd() ? 0 : recorded.emplace_back(plan[next++]); }
    KL_VRXEmu::TWriteOutcome OnWrite(const TBytes& /*report*/) override {
        if (!AtEnd())
            recorded.push_back(Delivered);
        return {};
    }
    KL_VRXEmu::TReadOutcome OnRead(const TBytes* queuedReply, uint32_t /*bufferSize*/) override {
        KL_VRXEmu::TReadOutcome outcome;
        if (queuedReply != nullptr)
            outcome.bytes = *queuedReply;
        if (!AtEnd())
            recorded.push_back(spell ? Spelt : AsQueued);
        if (!AtEnd() && spell) {
            const size_t length = outcome.bytes.size();
            recorded.insert(recorded.end(), {static_cast<uint8_t>(length & 0xFF),
                                             static_cast<uint8_t>(length >> 8)});
            recorded.insert(recorded.end(), outcome.bytes.begin(), outcome.bytes.end());
        }
        return outcome;
    }

    TBytes plan;
    bool spell;
    size_t next = 0;
    TBytes recorded;
};

struct TSeed {
    const char* name;
    std::vector<TBytes> steps;
    bool spellReplies = true;
};

// TuneUnit's settings and report-length choices used below.
constexpr uint8_t SetTransitionTime = 1, SetStuck = 2, SetBlock = 3, Transition400 = 2;
constexpr uint8_t Length64 = 1;

std::vector<TSeed> Seeds() {
    std::vector<TSeed> seeds = {
        {"family2_unit",
         {Attach(2), New(0, 1), Call("SetLogging", 1), Call("SetLogDumpFlag", 1),
          Call("SetPosition21Callback"), Call("SetPosition20Callback"), EveryRead(),
          Call("SetPosition21", 2), Call("SetPosition20", 3), Call("SetPosition22", 1),
          Call("SetState224", 1), Call("SetState18", 1), Call("SetState18", 0), Call("Close", 1),
          Call("Open", 2, 0), Call("SetLogging", 0), Call("Close", 1), Call("Open", 2, 2)}},
        {"family1_unit",
         {Attach(1), New(0, 1), EveryRead(), Call("SetPosition21", 1), Call("SetPosition20", 0),
          Call("SetPosition23", 1), Call("SetPosition24", 0), Call("SetPosition19", 0),
          Call("GetPosition19")}},
        {"launch_mode_switch",
         {Attach(2, true), Attach(1), TBytes{CountUnits, 0}, New(0, 2), Call("GetPosition21"),
          Call("GetDeviceCount"), Call("Open", 2, 1)}},
        {"two_units",
         {Attach(1), Attach(2, false, Length64), TBytes{CountUnits, 0}, New(0, 1), New(1, 2),
          Call("GetPosition24"), Call("GetPosition21", 0, 0, 1), Call("SetPosition21", 3, 0, 1),
          Call("SetPosition21", 0), Call("Open", 2, 1, 1), Call("Close", 0, 0, 1),
          TBytes{Delete, 0}, Call("GetPosition20", 0, 0, 1)}},
        {"slow_and_stuck_registers",
         {Attach(2), TBytes{TuneUnit, 0, SetTransitionTime, 21 - 18, Transition400},
          TBytes{TuneUnit, 0, SetStuck, 22 - 18, 1}, TBytes{TuneUnit, 0, SetBlock, 25, 4},
          New(0, 1), Call("SetPosition21", 1), Call("SetPosition22", 1), Call("GetDeviceNumber")},
         false},
    };
    seeds.push_back({"family2_unit_firmware", seeds.front().steps, false});
    return seeds;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    for (const TSeed& seed : Seeds()) {
        TBytes plan = {0};  // The first choice: "C:\\" is there.
        for (const TBytes& step : seed.steps)
            plan.insert(plan.end(), step.begin(), step.end());
        TRecordingInput recording(plan, seed.spellReplies);
        const uint64_t statuses = RunSession(recording);
        const TBytes& bytes = recording.recorded;
        TFuzzInput replay(bytes.data(), bytes.size());
        if (RunSession(replay) != statuses) {
            std::fprintf(stderr, "%s: the replay's statuses differ from the plan's\n", seed.name);
            return 1;
        }
        std::ofstream(std::string(argv[1]) + "/" + seed.name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        std::printf("%-26s %5zu bytes\n", seed.name, bytes.size());
    }
    return 0;
}
