// Writes the seed corpus of session_fuzzer: planned host sessions against
// well-behaved emulated units, recorded as the fuzzer's input with every
// reply spelt out as the unit really sent it (and a few left to the
// firmware, so that mutated steps still get answers that fit). Each seed is
// replayed through the fuzzer's own reading before it is written, and must
// give the same statuses.
//
//   make_session_seeds <corpus directory>
#include <algorithm>
#include <cstdio>
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
TBytes Count() {
    return {CountUnits, 0};
}
TBytes New(uint8_t slot, int hostIndex) {
    return {Create, slot, static_cast<uint8_t>(hostIndex + 1), 0};
}
TBytes Remove(uint8_t slot) {
    return {Delete, slot};
}
TBytes Tune(uint8_t setting, uint8_t first, uint8_t second) {
    return {TuneUnit, 0, setting, first, second};
}
// An entry's arguments: 0 is a real pointer, value 0, the callback, flag off.
TBytes Call(uint8_t slot, const char* entry, uint8_t first = 0, uint8_t second = 0) {
    return {Operation, slot, EntryChoice(entry), first, second};
}
TBytes Open(uint8_t slot, int index, uint8_t startAction) {
    return Call(slot, "Open", static_cast<uint8_t>(index + 1), startAction);
}
// Every read of the unit's elements and data.
TBytes EveryRead(uint8_t slot) {
    TBytes bytes;
    for (const char* entry :
         {"GetPositionCount", "GetPosition21", "GetPosition20", "GetPosition22", "GetPosition23",
          "GetPosition24", "GetPosition19Family2", "GetPosition19", "GetDeviceInfo",
          "GetDeviceNumber", "GetModelFamily", "GetFixedValue", "GetHostValue", "GetLogging",
          "GetLogDumpFlag", "GetLastErrorText"}) {
        const TBytes call = Call(slot, entry);
        bytes.insert(bytes.end(), call.begin(), call.end());
    }
    return bytes;
}

// The first choice of a session: whether "C:\\" is missing.
const TBytes LogDirectory = {0};
const TBytes NoLogDirectory = {1};

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
        if (AtEnd())
            return outcome;
        const size_t length = outcome.bytes.size();
        recorded.push_back(spell ? Spelt : AsQueued);
        if (!spell)
            return outcome;
        recorded.push_back(static_cast<uint8_t>(std::min<size_t>(length, LongLength)));
        if (length >= LongLength) {
            recorded.push_back(static_cast<uint8_t>(length & 0xFF));
            recorded.push_back(static_cast<uint8_t>(length >> 8));
        }
        recorded.insert(recorded.end(), outcome.bytes.begin(), outcome.bytes.end());
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
constexpr uint8_t Length64 = 1, Length3 = 2;

std::vector<TSeed> Seeds() {
    std::vector<TSeed> seeds = {
        {"family2_unit",
         {LogDirectory, Attach(2), New(0, 1), Call(0, "SetPosition21Callback"),
          Call(0, "SetPosition20Callback"), EveryRead(0), Call(0, "SetPosition21", 2),
          Call(0, "SetPosition20", 3), Call(0, "SetPosition22", 1), Call(0, "SetState224", 1),
          Call(0, "SetState18", 1), Call(0, "SetState18", 0), Call(0, "Close", 1), Open(0, 1, 0),
          Call(0, "GetDeviceCount")}},
        {"family1_unit",
         {LogDirectory, Attach(1), New(0, 1), EveryRead(0), Call(0, "SetPosition21", 1),
          Call(0, "SetPosition20", 0), Call(0, "SetPosition23", 1), Call(0, "SetPosition24", 0),
          Call(0, "SetPosition19", 0), Call(0, "GetPosition19")}},
        {"launch_mode_switch",
         {LogDirectory, Attach(2, true), Attach(1), Count(), New(0, 2), Call(0, "GetPosition21"),
          Call(0, "GetDeviceCount"), Open(0, 1, 1)}},
        {"traffic_log",
         {LogDirectory, Attach(2), New(0, 1), Call(0, "SetLogging", 1), Call(0, "GetPosition21"),
          Call(0, "SetLogDumpFlag", 1), Call(0, "SetPosition22", 0), Call(0, "GetDeviceNumber"),
          Call(0, "Close", 1), Open(0, 1, 2), Call(0, "SetLogging", 0), Call(0, "GetLogging")}},
        {"log_file_missing",
         {NoLogDirectory, Attach(1), New(0, 1), Call(0, "SetLogging", 1), Call(0, "GetPosition22"),
          Call(0, "SetLogging", 0), Call(0, "GetPosition22")}},
        {"two_units",
         {LogDirectory, Attach(1), Attach(2, false, Length64), Count(), New(0, 1), New(1, 2),
          Call(0, "GetPosition24"), Call(1, "GetPosition21"), Call(1, "SetPosition21", 3),
          Call(0, "SetPosition21", 0), Open(1, 1, 1), Call(1, "Close", 0), Remove(0),
          Call(1, "GetPosition20")}},
        {"simulated_unit",
         {LogDirectory, New(0, 0), Call(0, "SetPosition21Callback"), EveryRead(0),
          Call(0, "SetPosition21", 3), Call(0, "SetPosition19", 0), Call(0, "SetHostValue", 4),
          Call(0, "GetHostValue"), Call(0, "delete")}},
        {"slow_and_stuck_registers",
         {LogDirectory, Attach(2), Tune(SetTransitionTime, 21 - 18, Transition400),
          Tune(SetStuck, 22 - 18, 1), Tune(SetBlock, 25, 4), New(0, 1), Call(0, "SetPosition21", 1),
          Call(0, "SetPosition22", 1), Call(0, "GetDeviceNumber")},
         false},
        {"short_reports",
         {LogDirectory, Attach(2, false, Length3), New(0, 1), Call(0, "GetPosition21"),
          Call(0, "GetDeviceInfo"), Call(0, "GetDeviceNumber")}},
    };
    seeds.push_back({"family2_unit_firmware", seeds.front().steps, false});
    return seeds;
}

std::string Join(const std::vector<uint32_t>& statuses) {
    std::string text;
    for (uint32_t status : statuses)
        text += std::to_string(status) + " ";
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
        return 2;
    }
    int failures = 0;
    for (const TSeed& seed : Seeds()) {
        TBytes plan;
        for (const TBytes& step : seed.steps)
            plan.insert(plan.end(), step.begin(), step.end());
        TRecordingInput recording(plan, seed.spellReplies);
        std::vector<uint32_t> recorded;
        RunSession(recording, &recorded);

        const TBytes& bytes = recording.recorded;
        TFuzzInput replay(bytes.data(), bytes.size());
        std::vector<uint32_t> replayed;
        RunSession(replay, &replayed);
        if (replayed != recorded) {
            std::fprintf(stderr, "%s: the replay differs\n  recorded %s\n  replayed %s\n",
                         seed.name, Join(recorded).c_str(), Join(replayed).c_str());
            ++failures;
            continue;
        }
        std::ofstream(std::string(argv[1]) + "/" + seed.name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        std::printf("%-26s %5zu bytes, statuses %s\n", seed.name, bytes.size(),
                    Join(recorded).c_str());
    }
    return failures == 0 ? 0 : 1;
}
