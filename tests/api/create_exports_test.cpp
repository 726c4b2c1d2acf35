// CreateVRX, DeleteVRX and GetVRX2 as a host uses them: host-index
// numbering over the simulated unit and both families, refusals, and what
// deletion sends.
#include <gtest/gtest.h>

#include <string>

#include "KL_VRX/KL_VRX.h"
#include "controller/controller_fixture.h"
#include "protocol/family_ids.h"

namespace {

using KL_VRXSDK::KL_IVRX;
using KL_VRXSDK::KL_IVRX2;
using KL_VRXSDK::KLSYS_IVRX;
using KL_VRXTest::FullStartUp;
using KL_VRXTest::Messages;
using KL_VRXTest::Parking;
using KL_VRXTest::TControllerTest;
using KL_VRXTest::TMessage;

struct THostIndexCase {
    int32_t hostIndex;
    int unit;  // which attached unit is opened; -1 the simulated unit, -2 none
    uint32_t family;
};

TEST_F(TControllerTest, HostIndicesNumberTheSimulatedUnitThenFamilyOneThenFamilyTwo) {
    // Attach order mixes the families: the numbering must not follow it.
    KL_VRXEmu::TEmulatedUnit* units[] = {&bus.AttachUnit(2), &bus.AttachUnit(1),
                                         &bus.AttachUnit(1)};
    const THostIndexCase cases[] = {
        {0, -1, 2}, {1, 1, 1}, {2, 2, 1}, {3, 0, 2}, {4, -2, 0}, {-1, -2, 0},
    };
    for (const THostIndexCase& c : cases) {
        SCOPED_TRACE("host index " + std::to_string(c.hostIndex));
        for (auto* unit : units)
            unit->ClearReceived();
        KL_IVRX* vrx = CreateVRX(c.hostIndex);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(Messages(*units[i]), i == c.unit ? FullStartUp() : std::vector<TMessage>{})
                << "unit " << i;
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

TEST_F(TControllerTest, ANegativeHostIndexStaysInFamilyOne) {
    KL_IVRX* simulated = CreateVRX(0);  // leaves family 2's ids behind
    ASSERT_NE(simulated, nullptr);
    EXPECT_EQ(DeleteVRX(simulated), 0u);
    EXPECT_EQ(CreateVRXInternal(-5), nullptr);
    EXPECT_STREQ(GetLastVRXDLLError(), "Index out of range.");
    EXPECT_EQ(FamilyIds.productIdFirst, 0x0E32);
}

TEST_F(TControllerTest, CreationFailsEvenForTheSimulatedUnitWhenHidCannotBeBound) {
    bus.SetHidLibraryLoads(false);
    EXPECT_EQ(CreateVRX(0), nullptr);
    EXPECT_STREQ(GetLastVRXDLLError(),
                 "Unable to get device information. Unable to Load Win API. API error: 126.");
}

// An implementation of the interface that is not this library's.
class TForeignVRX : public KL_IVRX {
  public:
    uint32_t GetPositionCount(uint32_t*) override { return 0; }
    uint32_t GetPosition21(uint32_t*) override { return 0; }
    uint32_t SetPosition21(uint32_t) override { return 0; }
    uint32_t GetPosition20(uint32_t*) override { return 0; }
    uint32_t SetPosition20(uint32_t) override { return 0; }
    uint32_t GetPosition22(uint32_t*) override { return 0; }
    uint32_t SetPosition22(uint32_t) override { return 0; }
    uint32_t GetPosition23(uint32_t*) override { return 0; }
    uint32_t SetPosition23(uint32_t) override { return 0; }
    uint32_t SetState224(uint32_t) override { return 0; }
    uint32_t SetState18(uint32_t) override { return 0; }
    uint32_t GetPosition24(uint32_t*) override { return 0; }
    uint32_t SetPosition24(uint32_t) override { return 0; }
    const char* GetLastErrorText() override { return ""; }
};

TEST_F(TControllerTest, DeleteAndRetypeAcceptOnlyThisLibrarysControllers) {
    EXPECT_EQ(CreateVRX(7), nullptr);  // leaves a text behind
    EXPECT_EQ(DeleteVRX(nullptr), 0u);
    EXPECT_STREQ(GetLastVRXDLLError(), "Index out of range.");
    EXPECT_EQ(GetVRX2(nullptr), nullptr);

    TForeignVRX foreign;
    EXPECT_EQ(GetVRX2(&foreign), nullptr);
    EXPECT_STREQ(GetLastVRXDLLError(), "Index out of range.");
    EXPECT_EQ(DeleteVRX(&foreign), 513u);
    EXPECT_STREQ(GetLastVRXDLLError(), "Couldn't delete VRX object: Invalid pointer!");

    KL_IVRX* vrx = CreateVRX(0);
    ASSERT_NE(vrx, nullptr);
    KL_IVRX2* vrx2 = GetVRX2(vrx);
    EXPECT_EQ(static_cast<void*>(vrx2), static_cast<void*>(vrx));
    EXPECT_NE(dynamic_cast<KLSYS_IVRX*>(vrx), nullptr);
    EXPECT_EQ(DeleteVRX(vrx2), 0u);
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
        const std::vector<TMessage> parked{{18, 0}};
        EXPECT_EQ(Messages(unit), register18 == 15 ? Parking() : parked);
        EXPECT_EQ(bus.Calls().freeLibrary, freed + 1);
    }
}

TEST_F(TControllerTest, AFailedStartUpGivesNullWithTheChannelsText) {
    auto& unit = bus.AttachUnit(2);
    unit.SetRegister(19, 2);
    unit.SetStuck(19, true);  // command 34 with 1 is never confirmed
    EXPECT_EQ(CreateVRX(1), nullptr);
    EXPECT_STREQ(GetLastVRXDLLError(), "Timeout while waiting for state transition.");
}

}  // namespace
