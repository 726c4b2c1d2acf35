// What an emulated unit received, as the protocol and controller suites
// compare it: command code and value byte of each report.
#pragma once

#include <utility>
#include <vector>

#include "KL_VRX/emulator.h"

namespace KL_VRXTest {

using TMessages = std::vector<std::pair<int, int>>;

inline TMessages Messages(const KL_VRXEmu::TEmulatedUnit& unit) {
    TMessages messages;
    for (const auto& report : unit.Received())
        messages.emplace_back(report.at(1), report.at(2));
    return messages;
}

// The full start-up: register 18 read, 33 with 15 on 18, 34 with 1 on 19.
inline const TMessages FullStartUp{{18, 0}, {33, 15}, {18, 0}, {18, 0}, {34, 1}, {19, 0}, {19, 0}};

}  // namespace KL_VRXTest
