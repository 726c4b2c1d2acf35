// CreateVRX, DeleteVRX and GetVRX2 as a host uses them: host-index
// numbering over the simulated unit and both families, refusals, and what
// deletion sends. (Null and foreign pointers are refused in the host test,
// across the library's boundary.)
#include <gtest/gtest.h>

#include <string>

#include "KL_VRX/KL_VRX.h"
#include "controller/controller_fixture.h"
#include "protocol/family_ids.h"

namespace {

using KL_VRXSDK::KL_IVRX;
using KL_VRXTest::FullStartUp;
using KL_VRXTest::Messages;
using KL_VRXTest::Parking;
using KL_VRXTest::TControllerTest;
using KL_VRXTest::TMessage;

TEST_F(TControllerTest, HostIndicesNumberTheSimulatedUnitThenFamilyOneThenFamilyTwo) {
    // Attach order mixes the families: the numbering must not follow it.
    KL_VRXEmu::TEmulatedUnit* units[] = {&bus.AttachUnit(2), &bus.AttachUnit(1),
                                         &bus.AttachUnit(1)};
    const struct {
        int32_t hostIndex;
        int unit;  // which attached unit is opened; -1 the simulated unit, -2 none
        uint32_t family;
    } cases[] = {{0, -1, 2}, {1, 1, 1}, {2, 2, 1}, {3, 0, 2}, {4, -2, 2}, {-1, -2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE("host index " + std::to_string(c.hostIndex));
        for (auto* unit : units)
            unit->ClearReceived();
        KL_IVRX* vrx = CreateVRX(c.hostIndex);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Messages(*units[i]), i == c.unit ? FullStartUp() : std::vector<TMessage>{})
                << "unit " << i;
        // A negative index stays in family 1, after a family-2 creation too.
        EXPECT_EQ(FamilyIds.productIdFirst, c.family == 1 ? 0x0E32 : 0x0E58);
        if (c.unit == -2) {
            EXPECT_EQ(vrx, nullptr);
            EXPECT_STREQ(GetLastVRXDLLError(), "Index out of range.");
            continue;
        }
        ASSERT_NE(vrx, nullptr) << GetLastVRXDLLError();
        uint32_t family = 0;
        EXPECT_EQ(GetVRX2(vrx)->GetModelFamily(&family), 0u);
        EXPECT_EQ(family, c.family);
        EXPECT_EQ(DeleteVRX(vrx), 0u);
    }
}

TEST_F(TControllerTest, CountingAndCreationFailEvenForTheSimulatedUnitWhenHidCannotBeBound) {
    bus.SetHidLibraryLoads(false);
    const char* const text =
        "Unable to get device information. Unable to Load Win API. API error: 126.";
    TVRXHardwareController controller;
    controller.SetModelFamily(2);
    int32_t count = 7;
    EXPECT_EQ(controller.GetDeviceCount(&count), 3u);
    EXPECT_EQ(count, -1);
    EXPECT_STREQ(controller.GetLastErrorText(), text);
    EXPECT_EQ(CreateVRX(0), nullptr);
    EXPECT_STREQ(GetLastVRXDLLError(), text);
}

TEST_F(TControllerTest, DeletionParksAStartedUnitAndReleasesTheBinding) {
    auto& unit = bus.AttachUnit(1);
    for (uint8_t register18 : {15, 127}) {
        SCOPED_TRACE("register 18 at " + std::to_string(register18));
        KL_IVRX* vrx = CreateVRX(1);
        ASSERT_NE(vrx, nullptr) << GetLastVRXDLLError();
        unit.SetRegister(18, register18);
        unit.ClearReceived();
        const unsigned freed = bus.Calls().freeLibrary;
        EXPECT_EQ(DeleteVRX(vrx), 0u);
        EXPECT_EQ(Messages(unit), register18 == 15 ? Parking() : (std::vector<TMessage>{{18, 0}}));
        EXPECT_EQ(bus.Calls().freeLibrary, freed + 1);
    }
}

}  // namespace
