// Counting units and creating controllers on hidraw nodes: both families,
// both launch modes, and a mouse that is never taken for a unit.
#include "umockdev/host_fixture.h"

namespace {

using namespace KL_VRXTest;

// Counting reads sysfs only: no node is opened and nothing waits.
TEST_F(HidrawHost, CountsUnitsOfBothFamiliesInBothLaunchModesButNotTheMouse) {
    EXPECT_EQ(Count(), 1u);  // the simulated unit alone
    TFakeUnit& first = bed.PlugUnit(1);
    bed.PlugMouse();
    TFakeUnit* units[] = {&first, &bed.PlugUnit(2), &bed.PlugUnit(1, 1), &bed.PlugUnit(2, 1)};
    EXPECT_EQ(Count(), 5u);
    for (TFakeUnit* unit : units)
        EXPECT_EQ(unit->Opens(), 0u);
    EXPECT_EQ(clock.Now(), 0u);
}

// Host indices: 1 and 2 the family-1 units in node order, 3 the family-2
// one. Creating opens that unit alone and reads its report lengths from its
// own descriptor (64-byte reports in family 1, 32-byte ones in family 2);
// block replies reach the host with their data from byte 2 on.
TEST_F(HidrawHost, CreatingOpensTheNamedUnitWithItsOwnReportLengths) {
    TFakeUnit& first = bed.PlugUnit(1);
    bed.PlugMouse();
    TFakeUnit& third = bed.PlugUnit(2);
    // The sysfs entry has no report_descriptor: the lengths come from HIDIOCGRDESC.
    TFakeUnit& second = bed.PlugUnit(1, 2, false);
    TFakeUnit* units[] = {&first, &second, &third};

    for (int32_t hostIndex = 1; hostIndex <= 3; ++hostIndex) {
        SCOPED_TRACE(hostIndex);
        const bool family2 = hostIndex == 3;
        TVRX vrx = Create(hostIndex);
        ASSERT_TRUE(vrx) << GetLastVRXDLLError();
        for (int32_t i = 1; i <= 3; ++i)
            EXPECT_EQ(units[i - 1]->Opens(), i <= hostIndex ? 1u : 0u) << i;
        uint32_t family = 0;
        uint32_t positions = 0;
        uint32_t info[3] = {};
        uint32_t number = 0;
        EXPECT_EQ(GetVRX2(vrx.get())->GetModelFamily(&family), 0u);
        EXPECT_EQ(family, family2 ? 2u : 1u);
        EXPECT_EQ(vrx->GetPositionCount(&positions), 0u);
        EXPECT_EQ(positions, family2 ? 4u : 3u);
        EXPECT_EQ(GetVRX2(vrx.get())->GetDeviceInfo(&info[0], &info[1], &info[2]), 0u);
        EXPECT_EQ(GetVRX2(vrx.get())->GetDeviceNumber(&number), 0u);
        EXPECT_THAT(info, ::testing::ElementsAre(1u, 2u, 3u));
        EXPECT_EQ(number, 12345678u);
    }
}

}  // namespace
