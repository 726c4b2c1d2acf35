// Start-up, closing, parking and the launch-mode switch on hidraw units.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "umockdev/host_fixture.h"

namespace {

using namespace KL_VRXTest;
using ::testing::HasSubstr;

using TReports = std::vector<std::vector<uint8_t>>;

// The unit's uevent as the library reads it.
std::string Uevent(unsigned node) {
    std::ifstream in("/sys/class/hidraw/hidraw" + std::to_string(node) + "/device/uevent");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Closing without parking sends nothing; reopening with start action 2 only
// reads register 18; deleting parks: register 18 is read and brought back
// to 127, polled until it shows.
TEST_F(HidrawHost, ClosesReopensAndParksTheUnit) {
    TFakeUnit& unit = bed.PlugUnit(2);
    TVRX vrx = Create(1);
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    ASSERT_EQ(unit.Register(18), 15);
    unit.SetTransitionTime(18, 100);
    unit.ClearReceived();

    EXPECT_EQ(Sys(vrx).Close(false), 0u);
    EXPECT_TRUE(unit.Received().empty());
    EXPECT_EQ(Sys(vrx).Open(1, 2), 0u) << vrx->GetLastErrorText();
    EXPECT_EQ(unit.Received(), TReports{Message(unit, 18)});
    EXPECT_EQ(unit.Opens(), 2u);

    unit.ClearReceived();
    const uint64_t start = clock.Now();
    vrx.reset();
    EXPECT_EQ(unit.Register(18), 127);
    EXPECT_EQ(clock.Now() - start, 100u);
    const TReports received = unit.Received();
    ASSERT_EQ(received.size(), 2 + 100 / 5 + 2);
    EXPECT_EQ(received[0], Message(unit, 18));
    EXPECT_EQ(received[1], Message(unit, 33, 127));
    EXPECT_EQ(received.back(), Message(unit, 18));
}

struct TSwitchCase {
    const char* name;
    unsigned units;      // family-2 units in the other launch mode
    bool unitsIgnoreIt;  // they stay in their launch mode

    friend void PrintTo(const TSwitchCase& c, std::ostream* out) { *out << c.name; }
};

class HidrawLaunchModeSwitch : public HidrawHost,
                               public ::testing::WithParamInterface<TSwitchCase> {};

// Creating a controller first switches every unit of its family that shows
// the second product ID: 2 with value 2, then 15, after which the unit
// leaves the bus and comes back under the first product ID; 5 s pass per
// unit. A unit that stays makes creation fail once every pass is used.
TEST_P(HidrawLaunchModeSwitch, SwitchesEachUnitAndWaitsFiveSecondsForIt) {
    const TSwitchCase& c = GetParam();
    std::vector<TFakeUnit*> units;
    for (unsigned i = 0; i < c.units; ++i) {
        units.push_back(&bed.PlugUnit(2, 1));
        units.back()->SetIgnoresLaunchModeSwitch(c.unitsIgnoreIt);
    }
    EXPECT_EQ(Count(), 1 + c.units);  // counted in their family under the second ID
    EXPECT_THAT(Uevent(0), HasSubstr("HID_ID=0003:00003C5A:00000E57\n"));

    TVRX vrx = Create(1);
    EXPECT_EQ(clock.Now(), 5000u * c.units);  // the start-up itself needs no wait
    if (c.unitsIgnoreIt) {
        EXPECT_FALSE(vrx);
        EXPECT_STREQ(GetLastVRXDLLError(), "Unable to change launch mode for attached VRXs.");
        EXPECT_EQ(units[0]->Received(),
                  (TReports{Message(*units[0], 2, 2), Message(*units[0], 15)}));
        EXPECT_EQ(units[0]->LaunchMode(), 1u);
        EXPECT_TRUE(bed.HasNode(0));
        return;
    }
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    for (unsigned i = 0; i < c.units; ++i) {
        SCOPED_TRACE(i);
        TFakeUnit& unit = *units[i];
        EXPECT_EQ(unit.LaunchMode(), 2u);
        // The old node and its sysfs entry are gone; a new node shows the first ID.
        EXPECT_FALSE(bed.HasNode(i));
        EXPECT_FALSE(bed.HasSysfsEntry(i));
        EXPECT_EQ(unit.Node(), c.units + i);
        EXPECT_THAT(Uevent(unit.Node()), HasSubstr("HID_ID=0003:00003C5A:00000E58\n"));
        const TReports received = unit.Received();
        ASSERT_GE(received.size(), 2u);
        EXPECT_EQ(received[0], Message(unit, 2, 2));
        EXPECT_EQ(received[1], Message(unit, 15));
    }
    // The first of them, on its new node, is the one opened and started.
    EXPECT_EQ(units[0]->Register(18), 15);
    EXPECT_EQ(units[0]->Opens(), 2u);
    EXPECT_EQ(Count(), 1 + c.units);
}

INSTANTIATE_TEST_SUITE_P(Units, HidrawLaunchModeSwitch,
                         ::testing::Values(TSwitchCase{"One", 1, false},
                                           TSwitchCase{"Two", 2, false},
                                           TSwitchCase{"OneThatStays", 1, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
