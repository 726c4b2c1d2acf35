// Opening, closing, parking and destroying, seen from the unit's side: what
// reaches it, and what does not.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "controller/controller_fixture.h"
#include "protocol/family_ids.h"

namespace {

using KL_VRXTest::FullStartUp;
using KL_VRXTest::Messages;
using KL_VRXTest::OpenController;
using KL_VRXTest::Parking;
using KL_VRXTest::TControllerTest;
using KL_VRXTest::TMessage;

using TMessages = std::vector<TMessage>;

TEST_F(TControllerTest, OpenRunsTheFullStartUpOnTheIndexedUnitOnly) {
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
    EXPECT_EQ(std::string(controller.GetLastErrorText()), "Index out of range.");
    EXPECT_EQ(controller.Open(-1, 0), 10u);
    EXPECT_EQ(controller.openIndex, -1);
}

struct TCloseCase {
    const char* name;
    uint8_t register18;
    std::function<void(std::unique_ptr<TVRXHardwareController>&, KL_VRXEmu::TEmulatedUnit&)> close;
    TMessages sent;
};

TEST_F(TControllerTest, CloseAndDestructionParkAStartedUnitOnly) {
    // With register 18 unreadable nothing is sent after the read: a unit that
    // cannot answer would not confirm the park either.
    const TCloseCase cases[] = {
        {"Close(true)", 15, [](auto& c, auto&) { c->Close(true); }, Parking()},
        {"Close(true), parked", 127, [](auto& c, auto&) { c->Close(true); }, {{18, 0}}},
        {"Close(false)", 15, [](auto& c, auto&) { c->Close(false); }, {}},
        {"second Open", 15, [](auto& c, auto&) { c->Open(0, 0); }, Parking()},
        {"destructor", 15, [](auto& c, auto&) { c.reset(); }, Parking()},
        {"register 18 rejected",
         15,
         [](auto& c, auto& unit) {
             unit.SetReplyCode(0xFF);
             c->Close(true);
             unit.SetReplyCode(std::nullopt);
         },
         {{18, 0}}},
    };
    auto& unit = bus.AttachUnit(2);
    for (const TCloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto controller = OpenController(2, 1, &unit);
        unit.SetRegister(18, c.register18);
        c.close(controller, unit);
        EXPECT_EQ(Messages(unit), c.sent);
        if (!controller)
            continue;
        EXPECT_FALSE(controller->channel->IsUnitOpen());
        EXPECT_NE(controller->openIndex, 1);
    }
}

TEST_F(TControllerTest, AFailedOpenLeavesTheControllerClosedWithTheChannelsText) {
    auto& unit = bus.AttachUnit(1);
    unit.SetStuck(18, true);  // the start-up's wait for 15 times out
    TVRXHardwareController controller;
    controller.SetModelFamily(1);
    EXPECT_EQ(controller.Open(1, 0), 3u);
    EXPECT_EQ(std::string(controller.GetLastErrorText()),
              "Timeout while waiting for state transition.");
    EXPECT_EQ(controller.openIndex, -1);
    uint32_t value = 0;
    EXPECT_EQ(controller.GetPosition21(&value), 2u);
}

TEST_F(TControllerTest, CountingFailsWithThreeAndMinusOneWhenHidCannotBeBound) {
    bus.SetHidLibraryLoads(false);
    TVRXHardwareController controller;
    controller.SetModelFamily(2);
    int32_t count = 7;
    EXPECT_EQ(controller.GetDeviceCount(&count), 3u);
    EXPECT_EQ(count, -1);
    EXPECT_EQ(std::string(controller.GetLastErrorText()),
              "Unable to get device information. Unable to Load Win API. API error: 126.");
    EXPECT_EQ(controller.Open(0, 0), 3u);  // the simulated unit counts too
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

TEST_F(TControllerTest, ModelFamilyWritesTheProcessWideIdsOnlyForAKnownFamily) {
    TVRXHardwareController controller;
    controller.SetModelFamily(2);
    EXPECT_EQ(FamilyIds.productIdFirst, 0x0E58);
    EXPECT_EQ(FamilyIds.productIdSecond, 0x0E57);
    controller.SetModelFamily(3);
    EXPECT_EQ(controller.family, 0u);
    EXPECT_EQ(FamilyIds.productIdFirst, 0x0E58);
    controller.SetModelFamily(1);
    EXPECT_EQ(FamilyIds.productIdFirst, 0x0E32);
    EXPECT_EQ(FamilyIds.vendorIdFirst, 0x3C5A);
}

}  // namespace
