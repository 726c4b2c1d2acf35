// Bringing units into launch mode 2, and opening one with its start-up.
#include <string>

#include "channel_fixture.h"
#include "hid/hid_binding.h"
#include "support/row_name.h"

namespace {

using KL_VRXEmu::TEmulatedBus;
using KL_VRXEmu::TEmulatedUnit;
using KL_VRXTest::ChannelTest;
using KL_VRXTest::FullStartUp;
using KL_VRXTest::Messages;
using KL_VRXTest::TMessages;
using namespace KL_VRXProtocol;

const char* const Stayed = "Unable to change launch mode for attached VRXs.";

struct TSwitchCase {
    const char* name;
    unsigned units = 0;
    unsigned mode = 1;  // the units' launch mode when attached
    enum { NoFault, UnitsStay, NoHidLibrary, NoEnumeration } fault = NoFault;
    uint32_t pause = 0;  // ms slept in all
    unsigned writes = 0;
    const char* text = "Success.";
};

class LaunchModeSwitch : public ::testing::TestWithParam<TSwitchCase> {};

// One unit at a time, 5 s each, within the limit of the first pass's count.
TEST_P(LaunchModeSwitch, SwitchesUnitsOneAtATimeWithinThePassLimit) {
    const TSwitchCase& c = GetParam();
    TEmulatedBus bus;
    TVRXCommandChannel channel;
    for (unsigned i = 0; i < c.units; ++i)
        bus.AttachUnit(1, c.mode).SetIgnoresLaunchModeSwitch(c.fault == TSwitchCase::UnitsStay);
    if (c.fault == TSwitchCase::NoHidLibrary) {
        KL_VRXHid::UnloadHidApi();
        bus.SetHidLibraryLoads(false);
    }
    if (c.fault == TSwitchCase::NoEnumeration)
        bus.SetClassDevsError(8);
    const uint32_t start = bus.Tick();
    channel.SwitchUnitsToLaunchMode();
    EXPECT_EQ(bus.Tick() - start, c.pause);
    EXPECT_EQ(bus.Calls().writeFile, c.writes);
    char text[ProtocolTextSize];
    channel.GetErrorText(text);
    EXPECT_STREQ(text, c.text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Channel, LaunchModeSwitch, ::testing::Values(
    TSwitchCase{.name = "NothingToSwitch", .units = 1, .mode = 2},
    TSwitchCase{.name = "TwoUnits", .units = 2, .pause = 10000, .writes = 4},
    TSwitchCase{.name = "MoreThanTenUnits", .units = 11, .text = Stayed},
    TSwitchCase{.name = "UnitsThatStay", .units = 2, .fault = TSwitchCase::UnitsStay,
                .pause = 10000, .writes = 4, .text = Stayed},
    TSwitchCase{.name = "NoHidLibrary", .fault = TSwitchCase::NoHidLibrary, .pause = 5000,
                .text = "Unable to get device information. Unable to Load Win API. API error: 126."},
    TSwitchCase{.name = "NoEnumeration", .fault = TSwitchCase::NoEnumeration, .pause = 5000,
                .text = "Unable to get device information. Bad HID Comms. Code: 1. API error: 8."}),
    KL_VRXTest::RowName());
// clang-format on

TEST_F(ChannelTest, SwitchingClosesTheUnitOpenOnTheChannel) {
    OpenedUnit();
    ASSERT_TRUE(channel.IsUnitOpen());
    TEmulatedUnit& other = bus.AttachUnit(1, 1);
    ASSERT_EQ(channel.SwitchUnitsToLaunchMode(), ProtocolError::Success);
    EXPECT_FALSE(channel.IsUnitOpen());
    EXPECT_EQ(other.LaunchMode(), 2u);
    EXPECT_EQ(Messages(other), (TMessages{{2, 2}, {15, 0}}));
}

// Polls that repeat while a register does not move, each run cut to two.
TMessages CollapsePolls(TMessages messages) {
    TMessages kept;
    for (const auto& message : messages)
        if (kept.size() < 2 || message != kept.back() || message != kept[kept.size() - 2])
            kept.push_back(message);
    return kept;
}

struct TOpenCase {
    const char* name;
    uint32_t index = 0;
    uint8_t action = VRXStartAction::FullStart;
    uint8_t state18 = 127;  // register 18 when opened
    uint8_t position19 = 1;
    uint8_t stuck = 0;     // a register that ignores writes
    bool silent = false;   // the unit never replies
    TMessages sent = {};   // runs of polls cut to two
    uint32_t elapsed = 0;  // ms the open took: the time-out of the step that failed
    const char* text = "Success.";
};

class Opening : public ChannelTest, public ::testing::WithParamInterface<TOpenCase> {};

TEST_P(Opening, SendsTheStartUpOfItsStartActionWithinItsTimeOuts) {
    const TOpenCase& c = GetParam();
    TEmulatedUnit& unit = bus.AttachUnit(1);
    unit.SetRegister(18, c.state18);
    unit.SetRegister(19, c.position19);
    if (c.stuck != 0)
        unit.SetStuck(c.stuck, true);
    unit.SetSilent(c.silent);
    const uint32_t start = bus.Tick();
    channel.OpenUnit(c.index, c.action);
    EXPECT_EQ(Text(), c.text);
    EXPECT_EQ(CollapsePolls(Messages(unit)), c.sent);
    EXPECT_EQ(bus.Tick() - start, c.elapsed);
}

const char* const Late = "Timeout while waiting for state transition.";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Channel, Opening, ::testing::Values(
    TOpenCase{.name = "FullStartUp", .sent = FullStartUp},
    TOpenCase{.name = "FullStartUpRegister18Stuck", .stuck = 18,
              .sent = {{18, 0}, {33, 15}, {18, 0}, {18, 0}}, .elapsed = 3005, .text = Late},
    TOpenCase{.name = "FullStartUpRegister19Stuck", .position19 = 2, .stuck = 19, .sent = FullStartUp,
              .elapsed = 505, .text = Late},
    TOpenCase{.name = "SilentUnit", .silent = true, .sent = {{18, 0}}, .elapsed = 3005,
              .text = "Have timed out trying to read from the device."},
    TOpenCase{.name = "ParkAStartedUnit", .action = VRXStartAction::Park, .state18 = 15,
              .sent = {{18, 0}, {33, 127}, {18, 0}, {18, 0}}},
    TOpenCase{.name = "ParkAStartedUnitStuck", .action = VRXStartAction::Park, .state18 = 15,
              .stuck = 18, .sent = {{18, 0}, {33, 127}, {18, 0}, {18, 0}}, .elapsed = 3005,
              .text = Late},
    TOpenCase{.name = "ParkAParkedUnit", .action = VRXStartAction::Park, .sent = {{18, 0}}},
    TOpenCase{.name = "NoStartUp", .action = VRXStartAction::None, .state18 = 15,
              .sent = {{18, 0}}},
    TOpenCase{.name = "IndexOutOfRange", .index = 1, .action = VRXStartAction::None,
              .text = "Unable to open VRX. Device index out of range."}),
    KL_VRXTest::RowName());
// clang-format on

}  // namespace
