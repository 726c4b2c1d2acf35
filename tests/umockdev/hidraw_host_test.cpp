// The library, driven through its public header only, on hidraw units that
// umockdev emulates, with time on a virtual clock; the process runs under
// umockdev-wrapper. What only the real Linux backend shows: enumeration of
// sysfs, report lengths from each node's descriptor (sysfs or the
// HIDIOCGRDESC ioctl), the framing of block replies, a silent node and a
// unit that leaves the bus. (Sets, polls and the reply faults themselves are
// the emulator suites' own.)
//
// Every module, enumeration, device and file call goes to a TLinuxOs on the
// machine's own /sys and /dev (which umockdev redirects to its testbed);
// only GetTickCount and Sleep are virtual, so the library's polls and 3 s
// reply time-outs cost no real time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "KL_VRX/KL_VRX.h"
#include "os/linux/linux_os.h"
#include "state/library_state.h"
#include "support/row_name.h"
#include "umockdev/hidraw_testbed.h"

namespace {

using namespace KL_VRXTest;

// While it lives, the library's OS: the real Linux layer with a virtual
// clock. Constructing and destroying it each put the library's process-wide
// state back to its load-time values, so every test starts from a freshly
// loaded library and no binding outlives it. Report reads only look (a slice
// of 0): a fake unit queues its reply before the write that asked for it
// returns, and a silent unit's reply time-out then passes on the virtual
// clock, 5 ms per empty read.
class TVirtualTimeOs final : public KL_VRXOS::TLinuxOs {
  public:
    explicit TVirtualTimeOs(TVirtualClock& clock) : TLinuxOs("/sys", "/dev", 0), clock(clock) {
        KL_VRXState::ResetLibraryState();
        KL_VRXOS::SetActiveOs(this);
    }
    // Unbinds through this object while it is still the active OS.
    ~TVirtualTimeOs() override {
        KL_VRXState::ResetLibraryState();
        KL_VRXOS::SetActiveOs(nullptr);
    }

    // The tick count is the clock's milliseconds (wrapping at 32 bits);
    // Sleep(n) returns at once and adds exactly n.
    uint32_t GetTickCount() override { return static_cast<uint32_t>(clock.Now()); }
    void Sleep(uint32_t ms) override { clock.Advance(ms); }

  private:
    TVirtualClock& clock;
};

struct TDeleteVRX {
    void operator()(KL_VRXSDK::KL_IVRX* vrx) const { EXPECT_EQ(DeleteVRX(vrx), 0u); }
};
using TVRX = std::unique_ptr<KL_VRXSDK::KL_IVRX, TDeleteVRX>;

class HidrawHost : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(bed.Emulating()) << "this suite runs under umockdev-wrapper";
    }
    void TearDown() override { EXPECT_THAT(bed.Problems(), ::testing::IsEmpty()); }

    // GetVRXDeviceCount, which must succeed.
    uint32_t Count() {
        uint32_t count = 0;
        EXPECT_EQ(GetVRXDeviceCount(&count), 0u) << GetLastVRXDLLError();
        return count;
    }
    static TVRX Create(int32_t hostIndex) { return TVRX(CreateVRX(hostIndex)); }

    TVirtualClock clock;
    THidrawTestbed bed{clock};
    TVirtualTimeOs os{clock};
};

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
        uint32_t number = 0;
        EXPECT_EQ(GetVRX2(vrx.get())->GetModelFamily(&family), 0u);
        EXPECT_EQ(family, family2 ? 2u : 1u);
        EXPECT_EQ(GetVRX2(vrx.get())->GetDeviceNumber(&number), 0u);
        EXPECT_EQ(number, 12345678u);
    }
}

struct TFaultRow {
    const char* name;
    void (*breakUnit)(TUnitState&);  // null: the unit is unplugged before the set
    const char* text;
    uint64_t minMs, maxMs;  // virtual time the set takes
    bool unplugs;
};

class HidrawFault : public HidrawHost, public ::testing::WithParamInterface<TFaultRow> {};

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

// Two controllers of one unit: hidraw gives each open file a copy of every
// report, so they share the process's one handle and each reads only its
// own replies. (At once on two threads is the threads suite's.)
class HidrawSharedUnit : public HidrawHost, public ::testing::WithParamInterface<unsigned> {};

TEST_P(HidrawSharedUnit, TwoControllersInTurnShareOneHandle) {
    TFakeUnit& unit = bed.PlugUnit(GetParam());
    TVRX a = Create(1);
    TVRX b = Create(1);
    ASSERT_TRUE(a && b) << GetLastVRXDLLError();
    // In turn: what one sets, the other reads.
    for (uint32_t i = 0; i < 4; ++i) {
        uint32_t got = 9;
        EXPECT_EQ((i % 2 ? a : b)->SetPosition21(i % 3), 0u);
        EXPECT_EQ((i % 2 ? b : a)->GetPosition21(&got), 0u);
        EXPECT_EQ(got, i % 3);
    }

    EXPECT_EQ(unit.Opens(), 1u);  // one handle of the process, shared
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, HidrawSharedUnit, ::testing::Values(1u, 2u));

}  // namespace
