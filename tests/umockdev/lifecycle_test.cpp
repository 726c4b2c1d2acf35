// Closing, parking, the traffic log and the launch-mode switch on hidraw
// units.
#include <unistd.h>

#include <filesystem>

#include "support/log_file.h"
#include "support/temp_dir.h"
#include "umockdev/host_fixture.h"

namespace {

using namespace KL_VRXTest;

// The current directory, where the traffic log lands, while it lives.
struct TInDirectory {
    explicit TInDirectory(const std::string& dir) { std::filesystem::current_path(dir); }
    ~TInDirectory() { std::filesystem::current_path(was); }
    const std::filesystem::path was = std::filesystem::current_path();
};

// Closing without parking sends nothing; reopening with start action 2 only
// reads register 18; deleting parks: register 18 is read and brought back
// to 127, polled until it shows. The traffic log ("C:\VRXHIDLog.log" in the
// current directory, CR LF line ends, virtual ticks and the thread id)
// shows the node's Windows-shaped path at the open, and the 32-byte reply
// with the report ID 0 the backend puts in front.
TEST_F(HidrawHost, ClosesReopensWithTheTrafficLoggedAndParks) {
    TTempDir dir;
    const TInDirectory inDir(dir.Path());
    TFakeUnit& unit = bed.PlugUnit(2);
    TVRX vrx = Create(1);
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    ASSERT_EQ(unit.Register(18), 15);
    unit.With([](TUnitState& s) { s.firmware.transitionMs[0] = 100; });
    unit.ClearReceived();
    const auto created = static_cast<uint32_t>(clock.Now());

    EXPECT_EQ(GetVRX2(vrx.get())->SetLogging(true), 0u);
    EXPECT_EQ(Sys(vrx).Close(false), 0u);
    EXPECT_TRUE(unit.Received().empty());
    clock.Advance(1234);
    EXPECT_EQ(Sys(vrx).Open(1, 2), 0u) << vrx->GetLastErrorText();
    EXPECT_EQ(GetVRX2(vrx.get())->SetLogging(false), 0u);
    EXPECT_EQ(unit.Received(), TReports{unit.Message(18)});
    EXPECT_EQ(unit.Opens(), 2u);
    const auto thread = static_cast<uint32_t>(gettid());
    const std::string later = RecordPrefix(thread, created + 1234);
    std::string zeros;
    for (int i = 0; i < 30; ++i)
        zeros += "00 ";
    EXPECT_EQ(LogText(dir.ReadFile("VRXHIDLog.log")),
              CreatedHeader + RecordPrefix(thread, created) + "***Device Closed.\n" + DumpedHeader +
                  later +
                  "***Succeeded trying to open device at path: "
                  "\\\\?\\hid#vid_3c5a&pid_0e58#hidraw0\n" +
                  later + " Attempting to send to device: 00 12 \n" + later +
                  "    Send succeeded. Bytes read by device: 33\n" + later +
                  " Attempting to read from device: \n" + later +
                  "    Read succeeded. Bytes read by device: 33 Buffer: 00 12 0F " + zeros + "\n");

    unit.ClearReceived();
    const uint64_t start = clock.Now();
    vrx.reset();
    EXPECT_EQ(unit.Register(18), 127);
    EXPECT_EQ(clock.Now() - start, 100u);
    const TReports received = unit.Received();
    ASSERT_EQ(received.size(), 2 + 100 / 5 + 2);
    EXPECT_EQ(received[0], unit.Message(18));
    EXPECT_EQ(received[1], unit.Message(33, 127));
    EXPECT_EQ(received.back(), unit.Message(18));
}

struct TSwitchRow {
    const char* name;
    unsigned units;      // family-2 units in the other launch mode
    bool unitsIgnoreIt;  // they stay in their launch mode
};

using HidrawLaunchModeSwitch = HidrawHostP<TSwitchRow>;

// Creating a controller first switches every unit of its family that shows
// the second product ID: 2 with value 2, then 15, after which the unit
// leaves the bus and comes back under the first product ID; 5 s pass per
// unit. A unit that stays makes creation fail once every pass is used.
TEST_P(HidrawLaunchModeSwitch, SwitchesEachUnitAndWaitsFiveSecondsForIt) {
    const TSwitchRow& row = GetParam();
    std::vector<TFakeUnit*> units;
    for (unsigned i = 0; i < row.units; ++i) {
        units.push_back(&bed.PlugUnit(2, 1));
        units.back()->With(
            [&](TUnitState& s) { s.firmware.ignoresLaunchModeSwitch = row.unitsIgnoreIt; });
    }
    EXPECT_EQ(Count(), 1 + row.units);  // counted in their family under the second ID

    TVRX vrx = Create(1);
    EXPECT_EQ(clock.Now(), 5000u * row.units);  // the start-up itself needs no wait
    for (TFakeUnit* unit : units) {
        const TReports received = unit->Received();
        ASSERT_GE(received.size(), 2u);
        EXPECT_EQ(received[0], unit->Message(2, 2));
        EXPECT_EQ(received[1], unit->Message(15));
    }
    if (row.unitsIgnoreIt) {
        EXPECT_FALSE(vrx);
        EXPECT_STREQ(GetLastVRXDLLError(), "Unable to change launch mode for attached VRXs.");
        EXPECT_EQ(units[0]->Received().size(), 2u);
        return;
    }
    // The first of them, on its new node, is the one opened and started.
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    EXPECT_EQ(units[0]->Register(18), 15);
    EXPECT_EQ(units[0]->Opens(), 2u);
    EXPECT_EQ(Count(), 1 + row.units);
}

INSTANTIATE_TEST_SUITE_P(Units, HidrawLaunchModeSwitch,
                         ::testing::Values(TSwitchRow{"One", 1, false}, TSwitchRow{"Two", 2, false},
                                           TSwitchRow{"OneThatStays", 1, true}),
                         RowName());

}  // namespace
