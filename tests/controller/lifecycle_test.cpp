// Opening, closing and parking, seen from the unit's side: what reaches it,
// and what does not.
#include <gtest/gtest.h>

#include "controller/controller_fixture.h"
#include "protocol/family_ids.h"

namespace {

using KL_VRXTest::FullStartUp;
using KL_VRXTest::Messages;
using KL_VRXTest::OpenController;
using KL_VRXTest::Parking;
using KL_VRXTest::TControllerTest;
using TMessages = std::vector<KL_VRXTest::TMessage>;

TEST_F(TControllerTest, OpenStartsTheIndexedUnitOnlyAndStaysClosedWhenItCannot) {
    auto& first = bus.AttachUnit(1);
    auto& second = bus.AttachUnit(1);
    TVRXHardwareController controller;
    controller.SetModelFamily(1);
    int32_t count = 0;
    ASSERT_EQ(controller.GetDeviceCount(&count), 0u);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(controller.Open(count - 1, 0), 0u);  // the last real unit
    EXPECT_EQ(Messages(second), FullStartUp());
    EXPECT_TRUE(first.Received().empty());
    EXPECT_EQ(controller.openIndex, 2);
    EXPECT_EQ(controller.positionCount, 3u);
    EXPECT_EQ(controller.Open(count, 0), 10u);
    EXPECT_STREQ(controller.GetLastErrorText(), "Index out of range.");
    EXPECT_EQ(controller.Open(-1, 0), 10u);
    EXPECT_EQ(controller.openIndex, -1);
    first.SetStuck(18, true);  // the start-up's wait for 15 times out
    EXPECT_EQ(controller.Open(1, 0), 3u);
    EXPECT_STREQ(controller.GetLastErrorText(), "Timeout while waiting for state transition.");
    EXPECT_EQ(controller.openIndex, -1);
}

TEST_F(TControllerTest, CloseParksAStartedUnitOnly) {
    // With register 18 unreadable nothing is sent after the read: a unit that
    // cannot answer would not confirm the park either.
    const struct {
        const char* name;
        uint8_t register18;
        bool rejectRead;
        void (*close)(TVRXHardwareController&);
        TMessages sent;
    } cases[] = {
        {"Close(true)", 15, false, [](auto& c) { c.Close(true); }, Parking()},
        {"Close(true), parked", 127, false, [](auto& c) { c.Close(true); }, {{18, 0}}},
        {"Close(false)", 15, false, [](auto& c) { c.Close(false); }, {}},
        {"second Open", 15, false, [](auto& c) { c.Open(0, 0); }, Parking()},
        {"register 18 rejected", 15, true, [](auto& c) { c.Close(true); }, {{18, 0}}},
    };
    auto& unit = bus.AttachUnit(2);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto controller = OpenController(2, 1, &unit);
        unit.SetRegister(18, c.register18);
        if (c.rejectRead)
            unit.SetReplyCode(0xFF);
        c.close(*controller);
        unit.SetReplyCode(std::nullopt);
        EXPECT_EQ(Messages(unit), c.sent);
        EXPECT_FALSE(controller->channel->IsUnitOpen());
        EXPECT_NE(controller->openIndex, 1);
    }
}

TEST_F(TControllerTest, CountingWhileOpenKeepsTheUnitUnlessAnotherMustBeSwitched) {
    auto& unit = bus.AttachUnit(1);
    auto controller = OpenController(1, 1, &unit);
    int32_t count = 0;
    uint32_t position = 0;
    EXPECT_EQ(controller->GetDeviceCount(&count), 0u);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(controller->GetPosition21(&position), 0u);

    // Switching a unit in the other launch mode takes the channel's device.
    bus.AttachUnit(1, 1);
    EXPECT_EQ(controller->GetDeviceCount(&count), 0u);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(controller->openIndex, 1);
    EXPECT_EQ(controller->GetPosition21(&position), 5u);
    EXPECT_STREQ(controller->GetLastErrorText(), "No VRX has been opened.");
}

TEST_F(TControllerTest, AnUnknownModelFamilyLeavesTheProcessWideIdsAlone) {
    TVRXHardwareController controller;
    controller.SetModelFamily(2);
    controller.SetModelFamily(3);
    EXPECT_EQ(controller.family, 0u);
    EXPECT_EQ(FamilyIds.productIdFirst, 0x0E58);
    EXPECT_EQ(FamilyIds.productIdSecond, 0x0E57);
}

}  // namespace
