// What a unit's silence or its leaving the bus does to an operation on a
// hidraw node: a write to a gone node fails (ENODEV), a read of one fails
// (EIO), and a node that never answers runs out the reply time-out with
// every empty read a look at the node. (Sets, polls and the reply faults
// themselves are the emulator suites' own.)
#include "umockdev/host_fixture.h"

namespace {

using namespace KL_VRXTest;

struct TFaultRow {
    const char* name;
    void (*breakUnit)(TUnitState&);  // null: the unit is unplugged before the set
    const char* text;
    uint64_t minMs, maxMs;  // virtual time the set takes
    bool unplugs;
};

using HidrawFault = HidrawHostP<TFaultRow>;

TEST_P(HidrawFault, FailsTheSetWithStatus5AndTheText) {
    const TFaultRow& row = GetParam();
    TFakeUnit& unit = bed.PlugUnit(1);
    TVRX vrx = Create(1);
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    ASSERT_EQ(Count(), 2u);
    if (row.breakUnit != nullptr)
        unit.With(row.breakUnit);
    else
        bed.Unplug(unit);
    const uint64_t start = clock.Now();

    EXPECT_EQ(vrx->SetPosition21(2), 5u);
    EXPECT_STREQ(vrx->GetLastErrorText(), row.text);
    EXPECT_GE(clock.Now() - start, row.minMs);
    EXPECT_LE(clock.Now() - start, row.maxMs);
    EXPECT_EQ(Count(), row.unplugs ? 1u : 2u);
    // Parking the gone unit fails quietly; deleting succeeds.
    vrx.reset();
    if (row.unplugs) {
        EXPECT_FALSE(Create(1));
        EXPECT_STREQ(GetLastVRXDLLError(), "Index out of range.");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Units, HidrawFault,
    ::testing::Values(
        // The echo's 3 s time-out, each empty read a look at the node.
        TFaultRow{"Silent", [](TUnitState& s) { s.firmware.silent = true; },
                  "Have timed out trying to read from the device.", 3001, 3099, false},
        TFaultRow{"UnpluggedBetweenOperations", nullptr,
                  "Problem sending data to VRX. Send fail. API error: 1167.", 0, 0, true},
        TFaultRow{"UnpluggedBeforeTheCommandIsAnswered", [](TUnitState& s) { s.unplugOn = 36; },
                  "Problem reading data from VRX. Read fail. API error: 1167.", 0, 0, true}),
    RowName());

}  // namespace
