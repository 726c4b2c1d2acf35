// What the controller and creation suites share: a bus of emulated units,
// controllers opened on it, and the messages a unit received.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "KL_VRX/emulator.h"
#include "controller/hardware_controller.h"
#include "support/unit_messages.h"

namespace KL_VRXTest {

// A write awaited on its register that the unit reaches at once: the write,
// then the two polls that report the value.
inline TMessages AwaitedWrite(uint8_t code, uint8_t reg, uint8_t value) {
    return {{code, value}, {reg, 0}, {reg, 0}};
}

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
