// One host session on an emulated bus whose units' links are the fuzz
// input's: units attached and tuned, controllers created by host index,
// their 33 entries called in any order with any arguments, controllers
// deleted, and at the end every controller deleted, which parks its unit.
// No input may crash the library, trip a sanitizer, hang (time is the bus's
// virtual clock) or draw what the library's contract rules out: a status an
// entry does not document, a value it cannot store, a value stored on a
// failure, a callback call without a change, or a failure's text that is
// missing, unterminated or not printable. A session that sees one stops the
// fuzzer (abort) with a line on stderr saying what it saw.
//
// What the session reads from its input, choice by choice:
//   setup:   flags (bit 0: "C:\" is a missing directory, so the log file
//            never opens)
//   then, until the input ends (at most 64 steps), a step: choice % 16
//     0-7, 15     Operation: slot, entry (choice % 33, EntryChoice), then
//                 two arguments: an out pointer (0xFF: null), a value (small
//                 ones below 0xF0, a few far out above), a callback (bit 0:
//                 null) or a flag (bit 0); Open's index (host indices too:
//                 choice - 1 below 8, a few far out above 0xF0) and start
//                 action (the byte)
//     CountUnits  pointer (0xFF: null)
//     Create      slot, host index, export (bit 0: CreateVRXInternal)
//     Delete      slot
//     AttachUnit  family (bit 0: family 2), launch mode (0 mod 4: the other
//                 one), input and output report lengths (0: 65, 1: 64, 2: 3)
//     DetachUnit  unit
//     TuneUnit    unit, setting (choice % 8), its two arguments
//     TuneBus     setting (choice % 8), its two arguments
//   and each report on a unit's link as session_input.h says.
#pragma once

#include <cstdint>
#include <vector>

#include "session/session_input.h"

namespace KL_VRXFuzz {

// Runs one session over input, its "C:\" a fresh directory under /tmp.
void RunSession(TFuzzInput& input);

}  // namespace KL_VRXFuzz
