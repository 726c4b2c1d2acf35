#include "channel_fixture.h"
#include "hid/hid_api.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXEmu::TEmulatedUnit;
using E = ProtocolError;

TEST(LaunchModeSwitch, SwitchesUnitsOneAtATimeWithinThePassLimit) {
    // StaySwitched: the units ignore the switch and keep their launch mode.
    enum Fault { NoFault, StaySwitched, NoHidLibrary, NoEnumeration };
    struct Case {
        uint32_t units, mode, pause, writes;
        Fault fault;
        const char* text;
    };
    const char* const stayed = "Unable to change launch mode for attached VRXs.";
    const Case cases[] = {
        {1, 2, 0, 0, NoFault, "Success."},
        {2, 1, 10000, 4, NoFault, "Success."},
        {11, 1, 0, 0, NoFault, stayed},
        {2, 1, 10000, 4, StaySwitched, stayed},
        {0, 2, 5000, 0, NoHidLibrary,
         "Unable to get device information. Unable to Load Win API. API error: 126."},
        {0, 2, 5000, 0, NoEnumeration,
         "Unable to get device information. Bad HID Comms. Code: 1. API error: 8."},
    };
    for (const Case& c : cases) {
        TEmulatedBus bus;
        TVRXCommandChannel channel;
        for (unsigned i = 0; i < c.units; ++i)
            bus.AttachUnit(1, c.mode).SetIgnoresLaunchModeSwitch(c.fault == StaySwitched);
        if (c.fault == NoHidLibrary) {
            UnloadHidApi();
            bus.SetHidLibraryLoads(false);
        }
        if (c.fault == NoEnumeration)
            bus.SetClassDevsError(8);
        const uint32_t start = bus.Tick();
        EXPECT_EQ(channel.SwitchUnitsToLaunchMode(), channel.lastError);
        EXPECT_EQ(bus.Tick() - start, c.pause) << c.units;
        EXPECT_EQ(bus.Calls().writeFile, c.writes) << c.units;
        char text[256];
        channel.GetErrorText(text);
        EXPECT_STREQ(text, c.text) << c.units;
    }
}

TEST_F(ChannelTest, SwitchingClosesTheUnitOpenOnTheChannel) {
    OpenedUnit();
    TEmulatedUnit& other = bus.AttachUnit(1, 1);
    ASSERT_EQ(channel.SwitchUnitsToLaunchMode(), E::Success);
    EXPECT_EQ(channel.device->handle, KL_VRXOS::InvalidHandleValue);
    EXPECT_EQ(other.LaunchMode(), 2u);
    EXPECT_EQ(Messages(other), (std::vector<std::pair<int, int>>{{2, 2}, {15, 0}}));
}

TEST_F(ChannelTest, OpeningSendsTheStartUpOfItsStartAction) {
    using M = std::vector<std::pair<int, int>>;
    struct Case {
        uint32_t index;
        uint8_t action, state18;
        bool stuck;  // register 18 ignores writes: only the first and last polls are kept
        const char* text;
        M sent;
    };
    const char* const ok = "Success.";
    const char* const late = "Timeout while waiting for state transition.";
    const Case cases[] = {
        {0, 0, 127, false, ok, {{18, 0}, {33, 15}, {18, 0}, {18, 0}, {34, 1}, {19, 0}, {19, 0}}},
        {0, 0, 127, true, late, {{18, 0}, {33, 15}, {18, 0}, {18, 0}}},
        {0, 1, 15, false, ok, {{18, 0}, {33, 127}, {18, 0}, {18, 0}}},
        {0, 1, 127, false, ok, {{18, 0}}},
        {0, 2, 15, false, ok, {{18, 0}}},
        {1, 2, 15, false, "Unable to open VRX. Device index out of range.", {}},
    };
    for (const Case& c : cases) {
        TEmulatedUnit& unit = bus.AttachUnit(1);
        unit.SetRegister(18, c.state18);
        unit.SetStuck(18, c.stuck);
        EXPECT_EQ(channel.OpenUnit(c.index, c.action), channel.lastError);
        EXPECT_EQ(Text(), c.text);
        M sent = Messages(unit);
        if (c.stuck && sent.size() > 4)
            sent.erase(sent.begin() + 3, sent.end() - 1);
        EXPECT_EQ(sent, c.sent) << int(c.action) << "/" << int(c.state18);
        bus.Detach(unit);
    }
}
