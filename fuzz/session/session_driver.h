// One host session on an emulated bus whose units' links are the fuzz
// input's: units attached and tuned, controllers created by host index,
// their 33 entries called in any order with any arguments, controllers
// deleted, and at the end every controller deleted, which parks its unit.
// Every status, text and stored value is checked against the documented
// contract (session_checks.h) as it comes. Time is the bus's virtual clock,
// so no wait of the library costs real time.
//
// What the session reads from its input, choice by choice:
//   setup:   flags (bit 0: "C:\" is a missing directory, so the log file
//            never opens)
//   then, until the input ends (at most MaxSteps), a step: StepOf(choice)
//     Operation   slot, entry (choice % 33, in virtual-table order), then
//                 the entry's arguments (EntryArguments)
//     CountUnits  pointer (NullPointerChoice: null)
//     Create      slot, host index (Index), export (bit 0: CreateVRXInternal)
//     Delete      slot
//     AttachUnit  family (bit 0: family 2), launch mode (0 mod 4: the other
//                 one), input and output report lengths (ReportLength)
//     DetachUnit  unit
//     TuneUnit    unit, setting (choice % 8), its arguments
//     TuneBus     setting (choice % 8), its arguments
//   and each report on a unit's link as session_input.h says.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "session/session_input.h"

namespace KL_VRXFuzz {

enum class TStep : uint8_t {
    Operation,
    CountUnits,
    Create,
    Delete,
    AttachUnit,
    DetachUnit,
    TuneUnit,
    TuneBus
};

// Choices 0 to 7 and 15 (mod 16) call an entry; 8 to 14 take the other steps.
constexpr TStep StepOf(uint8_t choice) {
    const unsigned c = choice % 16u;
    return c < 8 || c == 15 ? TStep::Operation : static_cast<TStep>(c - 7);
}
constexpr uint8_t ChoiceOf(TStep step) {
    return step == TStep::Operation ? 0 : static_cast<uint8_t>(static_cast<unsigned>(step) + 7);
}

// The 33 entries in virtual-table order (the destructor: `delete`).
enum class TEntry : uint8_t {
    GetPositionCount,
    GetPosition21,
    SetPosition21,
    GetPosition20,
    SetPosition20,
    GetPosition22,
    SetPosition22,
    GetPosition23,
    SetPosition23,
    SetState224,
    SetState18,
    GetPosition24,
    SetPosition24,
    GetLastErrorText,
    Destructor,
    GetModelFamily,
    GetPosition19Family2,
    GetHostValue,
    SetHostValue,
    GetFixedValue,
    SetPosition20Callback,
    SetPosition21Callback,
    GetDeviceInfo,
    GetDeviceNumber,
    GetLogging,
    SetLogging,
    GetLogDumpFlag,
    SetLogDumpFlag,
    GetDeviceCount,
    Open,
    Close,
    GetPosition19,
    SetPosition19,
    Count
};

// How many argument choices each entry reads: an out pointer (NullPointerChoice:
// null), a value (ApiValue), a callback (bit 0: null), a flag (bit 0), a
// byte, or Open's index (Index) and start action (the byte).
unsigned EntryArguments(TEntry entry);

inline constexpr uint8_t NullPointerChoice = 0xFF;

// Values of set operations: small ones mostly, and a few far out.
uint32_t ApiValue(uint8_t choice);
// Host and unit indices: -1 to 6 mostly, and a few far out.
int32_t Index(uint8_t choice);
// Report lengths of an attached unit: 65 (the default) for choice 0.
uint16_t ReportLength(uint8_t choice);

inline constexpr unsigned Slots = 3;
inline constexpr unsigned MaxUnits = 4;
inline constexpr unsigned MaxSteps = 64;

// Runs one session over input; logDirectory is "C:\" (created by the
// caller). statuses, when given, collects the status of every call in order.
void RunSession(KL_ISessionInput& input, const std::string& logDirectory,
                std::vector<uint32_t>* statuses = nullptr);

}  // namespace KL_VRXFuzz
