// Writes the seed corpus of session_fuzzer: planned host sessions against
// well-behaved emulated units, recorded as the fuzzer's input with every
// reply spelt out as the unit really sent it (and a few left to the
// firmware, so that mutated steps still get answers that fit). Each seed is
// replayed through the fuzzer's own reading before it is written, and must
// give the same statuses.
//
//   make_session_seeds <corpus directory>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "session/session_driver.h"

namespace {

using namespace KL_VRXFuzz;

// A session's choices in the order the session asks for them
// (session_driver.h).
class TPlan {
  public:
    explicit TPlan(uint8_t flags = 0) { bytes.push_back(flags); }

    TPlan& Attach(unsigned family, bool otherLaunchMode = false, uint8_t lengths = 0) {
        return Step(TStep::AttachUnit,
                    {static_cast<uint8_t>(family == 2 ? 1 : 0),
                     static_cast<uint8_t>(otherLaunchMode ? 0 : 1), lengths, lengths});
    }
    TPlan& Count() { return Step(TStep::CountUnits, {0}); }
    TPlan& Create(unsigned slot, int hostIndex) {
        return Step(TStep::Create, {static_cast<uint8_t>(slot), IndexChoice(hostIndex), 0});
    }
    TPlan& Delete(unsigned slot) { return Step(TStep::Delete, {static_cast<uint8_t>(slot)}); }
    TPlan& TuneUnit(unsigned unit, uint8_t setting, uint8_t first, uint8_t second) {
        return Step(TStep::TuneUnit, {static_cast<uint8_t>(unit), setting, first, second});
    }
    // Entry with its argument choices; missing ones are 0 (a real pointer,
    // value 0, the callback, flag off).
    TPlan& Call(unsigned slot, TEntry entry, std::initializer_list<uint8_t> arguments = {}) {
        Step(TStep::Operation, {static_cast<uint8_t>(slot), static_cast<uint8_t>(entry)});
        std::vector<uint8_t> padded(arguments);
        padded.resize(EntryArguments(entry), 0);
        bytes.insert(bytes.end(), padded.begin(), padded.end());
        return *this;
    }
    TPlan& Open(unsigned slot, int index, uint8_t startAction) {
        return Call(slot, TEntry::Open, {IndexChoice(index), startAction});
    }
    // Every read of the unit's elements and data, then each settable one set.
    TPlan& EveryRead(unsigned slot) {
        for (TEntry entry : {TEntry::GetPositionCount, TEntry::GetPosition21, TEntry::GetPosition20,
                             TEntry::GetPosition22, TEntry::GetPosition23, TEntry::GetPosition24,
                             TEntry::GetPosition19Family2, TEntry::GetPosition19,
                             TEntry::GetDeviceInfo, TEntry::GetDeviceNumber, TEntry::GetModelFamily,
                             TEntry::GetFixedValue, TEntry::GetHostValue, TEntry::GetLogging,
                             TEntry::GetLogDumpFlag, TEntry::GetLastErrorText})
            Call(slot, entry);
        return *this;
    }

    const std::vector<uint8_t>& Bytes() const { return bytes; }

  private:
    static uint8_t IndexChoice(int index) { return static_cast<uint8_t>(index + 1); }

    TPlan& Step(TStep step, std::initializer_list<uint8_t> arguments) {
        bytes.push_back(ChoiceOf(step));
        bytes.insert(bytes.end(), arguments);
        return *this;
    }

    std::vector<uint8_t> bytes;
};

// Units settings (TuneUnit) and report-length choices used below.
constexpr uint8_t SetTransitionTime = 1;
constexpr uint8_t SetStuck = 2;
constexpr uint8_t SetBlock = 3;
constexpr uint8_t Transition400 = 2;
constexpr uint8_t Length3 = 2;
constexpr uint8_t Length64 = 1;

struct TSeed {
    const char* name;
    TPlan plan;
    TRecordingInput::TReplies replies = TRecordingInput::TReplies::Spelt;
};

std::vector<TSeed> Seeds() {
    using E = TEntry;
    std::vector<TSeed> seeds;
    seeds.push_back({"family2_unit", TPlan()
                                         .Attach(2)
                                         .Create(0, 1)
                                         .Call(0, E::SetPosition21Callback)
                                         .Call(0, E::SetPosition20Callback)
                                         .EveryRead(0)
                                         .Call(0, E::SetPosition21, {2})
                                         .Call(0, E::SetPosition20, {3})
                                         .Call(0, E::SetPosition22, {1})
                                         .Call(0, E::SetState224, {1})
                                         .Call(0, E::SetState18, {1})
                                         .Call(0, E::SetState18, {0})
                                         .Call(0, E::Close, {1})
                                         .Open(0, 1, 0)
                                         .Call(0, E::GetDeviceCount)});
    seeds.push_back(
        {"family2_unit_firmware", seeds.back().plan, TRecordingInput::TReplies::Firmware});
    seeds.push_back({"family1_unit", TPlan()
                                         .Attach(1)
                                         .Create(0, 1)
                                         .EveryRead(0)
                                         .Call(0, E::SetPosition21, {1})
                                         .Call(0, E::SetPosition20, {0})
                                         .Call(0, E::SetPosition23, {1})
                                         .Call(0, E::SetPosition24, {0})
                                         .Call(0, E::SetPosition19, {0})
                                         .Call(0, E::GetPosition19)});
    seeds.push_back({"launch_mode_switch", TPlan()
                                               .Attach(2, true)
                                               .Attach(1)
                                               .Count()
                                               .Create(0, 2)
                                               .Call(0, E::GetPosition21)
                                               .Call(0, E::GetDeviceCount)
                                               .Open(0, 1, 1)});
    seeds.push_back({"traffic_log", TPlan()
                                        .Attach(2)
                                        .Create(0, 1)
                                        .Call(0, E::SetLogging, {1})
                                        .Call(0, E::GetPosition21)
                                        .Call(0, E::SetLogDumpFlag, {1})
                                        .Call(0, E::SetPosition22, {0})
                                        .Call(0, E::GetDeviceNumber)
                                        .Call(0, E::Close, {1})
                                        .Open(0, 1, 2)
                                        .Call(0, E::SetLogging, {0})
                                        .Call(0, E::GetLogging)});
    seeds.push_back({"log_file_missing", TPlan(1)
                                             .Attach(1)
                                             .Create(0, 1)
                                             .Call(0, E::SetLogging, {1})
                                             .Call(0, E::GetPosition22)
                                             .Call(0, E::SetLogging, {0})
                                             .Call(0, E::GetPosition22)});
    seeds.push_back({"two_units", TPlan()
                                      .Attach(1)
                                      .Attach(2, false, Length64)
                                      .Count()
                                      .Create(0, 1)
                                      .Create(1, 2)
                                      .Call(0, E::GetPosition24)
                                      .Call(1, E::GetPosition21)
                                      .Call(1, E::SetPosition21, {3})
                                      .Call(0, E::SetPosition21, {0})
                                      .Open(1, 1, 1)
                                      .Call(1, E::Close, {0})
                                      .Delete(0)
                                      .Call(1, E::GetPosition20)});
    seeds.push_back({"simulated_unit", TPlan()
                                           .Create(0, 0)
                                           .Call(0, E::SetPosition21Callback)
                                           .EveryRead(0)
                                           .Call(0, E::SetPosition21, {3})
                                           .Call(0, E::SetPosition19, {0})
                                           .Call(0, E::SetHostValue, {4})
                                           .Call(0, E::GetHostValue)
                                           .Call(0, E::Destructor)});
    seeds.push_back({"slow_and_stuck_registers",
                     TPlan()
                         .Attach(2)
                         .TuneUnit(0, SetTransitionTime, 21 - 18, Transition400)
                         .TuneUnit(0, SetStuck, 22 - 18, 1)
                         .TuneUnit(0, SetBlock, 25, 4)
                         .Create(0, 1)
                         .Call(0, E::SetPosition21, {1})
                         .Call(0, E::SetPosition22, {1})
                         .Call(0, E::GetDeviceNumber),
                     TRecordingInput::TReplies::Firmware});
    seeds.push_back({"short_reports", TPlan()
                                          .Attach(2, false, Length3)
                                          .Create(0, 1)
                                          .Call(0, E::GetPosition21)
                                          .Call(0, E::GetDeviceInfo)
                                          .Call(0, E::GetDeviceNumber)});
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
    char logDirectory[] = "/tmp/kl_vrx_session_seeds.XXXXXX";
    if (mkdtemp(logDirectory) == nullptr)
        return 1;
    const std::string log = std::string(logDirectory) + "/VRXHIDLog.log";
    int failures = 0;
    for (const TSeed& seed : Seeds()) {
        TRecordingInput recording(seed.plan.Bytes(), seed.replies);
        std::vector<uint32_t> recorded;
        RunSession(recording, logDirectory, &recorded);
        unlink(log.c_str());

        const std::vector<uint8_t>& bytes = recording.Recorded();
        TFuzzInput replay(bytes.data(), bytes.size());
        std::vector<uint32_t> replayed;
        RunSession(replay, logDirectory, &replayed);
        unlink(log.c_str());
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
    rmdir(logDirectory);
    return failures == 0 ? 0 : 1;
}
