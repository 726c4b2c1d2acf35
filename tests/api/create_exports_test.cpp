// CreateVRX and GetVRX2 as a host uses them: host-index numbering over the
// simulated unit and both families, and refusals. (Null and foreign pointers
// are refused in the host test, across the library's boundary; what deletion
// sends is the controller's closing.)
#include <gtest/gtest.h>

#include <string>

#include "KL_VRX/KL_VRX.h"
#include "controller/controller_fixture.h"
#include "support/row_name.h"

namespace {

using KL_VRXSDK::KL_IVRX;
using KL_VRXTest::FullStartUp;
using KL_VRXTest::Messages;
using KL_VRXTest::TControllerTest;
using KL_VRXTest::TMessages;

// Attach order mixes the families (a family-2 unit, then two family-1
// units): the numbering must not follow it.
struct THostIndexCase {
    const char* name;
    int32_t hostIndex;
    int unit;  // which attached unit is opened; -1 the simulated unit, -2 none
    uint32_t family;
};

class HostIndices : public TControllerTest, public ::testing::WithParamInterface<THostIndexCase> {};

TEST_P(HostIndices, NumberTheSimulatedUnitThenFamilyOneThenFamilyTwo) {
    const THostIndexCase& c = GetParam();
    KL_VRXEmu::TEmulatedUnit* units[] = {&bus.AttachUnit(2), &bus.AttachUnit(1),
                                         &bus.AttachUnit(1)};
    KL_IVRX* vrx = CreateVRX(c.hostIndex);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Messages(*units[i]), i == c.unit ? FullStartUp : TMessages{}) << "unit " << i;
    // The creation made its family the one every controller counts in, even
    // when it failed: two units and the simulated one in family 1, one and
    // the simulated one in family 2.
    TVRXHardwareController probe;
    int32_t count = 0;
    EXPECT_EQ(probe.GetDeviceCount(&count), 0u);
    EXPECT_EQ(count, c.family == 1 ? 3 : 2);
    if (c.unit == -2) {
        EXPECT_EQ(vrx, nullptr);
        EXPECT_STREQ(GetLastVRXDLLError(), "Index out of range.");
        return;
    }
    ASSERT_NE(vrx, nullptr) << GetLastVRXDLLError();
    uint32_t family = 0;
    EXPECT_EQ(GetVRX2(vrx)->GetModelFamily(&family), 0u);
    EXPECT_EQ(family, c.family);
    EXPECT_EQ(DeleteVRX(vrx), 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CreateExports, HostIndices, ::testing::Values(
    THostIndexCase{.name = "SimulatedUnit", .hostIndex = 0, .unit = -1, .family = 2},
    THostIndexCase{.name = "FirstFamily1Unit", .hostIndex = 1, .unit = 1, .family = 1},
    THostIndexCase{.name = "SecondFamily1Unit", .hostIndex = 2, .unit = 2, .family = 1},
    THostIndexCase{.name = "Family2Unit", .hostIndex = 3, .unit = 0, .family = 2},
    THostIndexCase{.name = "PastTheLastUnit", .hostIndex = 4, .unit = -2, .family = 2},
    // A negative index stays in family 1.
    THostIndexCase{.name = "Negative", .hostIndex = -1, .unit = -2, .family = 1}),
    KL_VRXTest::RowName());
// clang-format on

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

}  // namespace
