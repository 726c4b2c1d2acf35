// Opening, closing and parking, seen from the unit's side: what reaches it,
// and what does not.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "controller/controller_fixture.h"
#include "support/row_name.h"

namespace {

using KL_VRXTest::FullStartUp;
using KL_VRXTest::Messages;
using KL_VRXTest::OpenController;
using KL_VRXTest::Parking;
using KL_VRXTest::TControllerTest;
using KL_VRXTest::TMessages;

// GetPositionCount answers 2 (and nothing) while closed.
uint32_t PositionCount(TVRXHardwareController& controller) {
    uint32_t count = 0;
    return controller.GetPositionCount(&count) == 0 ? count : 0;
}

TEST_F(TControllerTest, OpenStartsTheIndexedUnitOnlyAndStaysClosedWhenItCannot) {
    auto& first = bus.AttachUnit(1);
    auto& second = bus.AttachUnit(1);
    TVRXHardwareController controller;
    controller.SetModelFamily(1);
    int32_t count = 0;
    ASSERT_EQ(controller.GetDeviceCount(&count), 0u);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(controller.Open(count - 1, 0), 0u);  // the last real unit
    EXPECT_EQ(Messages(second), FullStartUp);
    EXPECT_TRUE(first.Received().empty());
    EXPECT_EQ(PositionCount(controller), 3u);
    EXPECT_EQ(controller.Open(count, 0), 10u);
    EXPECT_STREQ(controller.GetLastErrorText(), "Index out of range.");
    EXPECT_EQ(controller.Open(-1, 0), 10u);
    EXPECT_EQ(PositionCount(controller), 0u);
    first.SetStuck(18, true);  // the start-up's wait for 15 times out
    EXPECT_EQ(controller.Open(1, 0), 3u);
    EXPECT_STREQ(controller.GetLastErrorText(), "Timeout while waiting for state transition.");
    EXPECT_EQ(PositionCount(controller), 0u);
}

// With register 18 unreadable nothing is sent after the read: a unit that
// cannot answer would not confirm the park either.
struct TCloseCase {
    const char* name;
    uint8_t register18 = 15;
    bool rejectRead = false;
    uint32_t (*close)(TVRXHardwareController&);
    TMessages sent;
};

class Closing : public TControllerTest, public ::testing::WithParamInterface<TCloseCase> {};

TEST_P(Closing, ParksAStartedUnitOnly) {
    const TCloseCase& c = GetParam();
    auto& unit = bus.AttachUnit(2);
    auto controller = OpenController(2, 1, &unit);
    unit.SetRegister(18, c.register18);
    if (c.rejectRead)
        unit.SetReplyCode(0xFF);
    const unsigned closed = bus.Calls().closeHandle;
    EXPECT_EQ(c.close(*controller), 0u);
    EXPECT_EQ(Messages(unit), c.sent);
    EXPECT_EQ(bus.Calls().closeHandle, closed + 1);
    // Not left open on the closed unit, where every read would fail with 5.
    uint32_t position = 0;
    EXPECT_NE(controller->GetPosition21(&position), 5u);
}

using Controller = TVRXHardwareController;
const auto Park = [](Controller& c) { return c.Close(true); };
const auto DontPark = [](Controller& c) { return c.Close(false); };
const auto OpenAnother = [](Controller& c) { return c.Open(0, 0); };

// clang-format off
INSTANTIATE_TEST_SUITE_P(Controller, Closing, ::testing::Values(
    TCloseCase{.name = "CloseAndPark", .close = Park, .sent = Parking},
    TCloseCase{.name = "CloseAndParkAParkedUnit", .register18 = 127, .close = Park, .sent = {{18, 0}}},
    TCloseCase{.name = "CloseWithoutParking", .close = DontPark, .sent = {}},
    TCloseCase{.name = "OpenAnother", .close = OpenAnother, .sent = Parking},
    TCloseCase{.name = "Register18Rejected", .rejectRead = true, .close = Park, .sent = {{18, 0}}}),
    KL_VRXTest::RowName());
// clang-format on

TEST_F(TControllerTest, CountingWhileOpenKeepsTheUnitUnlessAnotherMustBeSwitched) {
    auto& unit = bus.AttachUnit(1);
    auto controller = OpenController(1, 1, &unit);
    int32_t count = 0;
    uint32_t position = 0;
    EXPECT_EQ(controller->GetDeviceCount(&count), 0u);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(controller->GetPosition21(&position), 0u);

    // Switching a unit in the other launch mode takes the channel's device;
    // the controller still counts itself open.
    bus.AttachUnit(1, 1);
    EXPECT_EQ(controller->GetDeviceCount(&count), 0u);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(PositionCount(*controller), 3u);
    EXPECT_EQ(controller->GetPosition21(&position), 5u);
    EXPECT_STREQ(controller->GetLastErrorText(), "No VRX has been opened.");
}

// The count's own lookup may fail after the launch-mode switch's lookup
// went through: the count fails with the enumeration's text.
TEST_F(TControllerTest, CountingFailsWhenTheFamilysLookupFails) {
    bus.AttachUnit(1);
    TVRXHardwareController controller;
    controller.SetModelFamily(1);
    bus.SetClassDevsError(13, 1);
    int32_t count = 7;
    EXPECT_EQ(controller.GetDeviceCount(&count), 3u);
    EXPECT_EQ(count, -1);
    EXPECT_STREQ(controller.GetLastErrorText(),
                 "Unable to get device information. Bad HID Comms. Code: 1. API error: 13.");
}

// The family every controller counts and opens in stays the last one set.
TEST_F(TControllerTest, AnUnknownModelFamilyLeavesTheProcessWideFamilyAlone) {
    bus.AttachUnit(2);
    TVRXHardwareController controller;
    controller.SetModelFamily(2);
    controller.SetModelFamily(3);
    uint32_t family = 9;
    EXPECT_EQ(controller.GetModelFamily(&family), 0u);
    EXPECT_EQ(family, 0u);
    TVRXHardwareController other;
    int32_t count = 0;
    EXPECT_EQ(other.GetDeviceCount(&count), 0u);
    EXPECT_EQ(count, 2);  // the family-2 unit and the simulated one
}

}  // namespace
