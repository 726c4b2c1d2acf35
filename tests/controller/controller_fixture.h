// What the controller and creation suites share: a bus of emulated units,
// controllers opened on it, and the messages a unit received.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "KL_VRX/emulator.h"
#include "controller/hardware_controller.h"

namespace KL_VRXTest {

// Command code and value byte (bytes 1 and 2) of each report a unit received.
using TMessages = std::vector<std::pair<int, int>>;

inline TMessages Messages(const KL_VRXEmu::TEmulatedUnit& unit) {
    TMessages messages;
    for (const auto& report : unit.Received())
        messages.emplace_back(report.at(1), report.at(2));
    return messages;
}

// A write awaited on its register that the unit reaches at once: the write,
// then the two polls that report the value.
inline TMessages AwaitedWrite(uint8_t code, uint8_t reg, uint8_t value) {
    return {{code, value}, {reg, 0}, {reg, 0}};
}

// The full start-up: register 18 read, 33 with 15 on 18, 34 with 1 on 19.
inline const TMessages FullStartUp{{18, 0}, {33, 15}, {18, 0}, {18, 0}, {34, 1}, {19, 0}, {19, 0}};

// Parking a started unit: register 18 read, then 33 with 127 on 18.
inline const TMessages Parking{{18, 0}, {33, 127}, {18, 0}, {18, 0}};

// A controller of family with unit index opened by the full start-up, the
// start-up's messages forgotten.
inline std::unique_ptr<TVRXHardwareController> OpenController(uint32_t family, int32_t index,
                                                              KL_VRXEmu::TEmulatedUnit* unit) {
    auto controller = std::make_unique<TVRXHardwareController>();
    controller->SetModelFamily(family);
    EXPECT_EQ(controller->Open(index, 0), 0u) << controller->GetLastErrorText();
    if (unit != nullptr)
        unit->ClearReceived();
    return controller;
}

class TControllerTest : public ::testing::Test {
  protected:
    KL_VRXEmu::TEmulatedBus bus;
};

}  // namespace KL_VRXTest
