#include <cstring>
#include <functional>

#include "channel_fixture.h"
#include "hid/hid_api.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXEmu::TEmulatedUnit;
using E = ProtocolError;

TEST(LaunchModeSwitch, SwitchesUnitsOneAtATimeWithinThePassLimit) {
    struct Case {
        const char* name;
        std::function<void(TEmulatedBus&)> arrange;
        ProtocolError result;
        uint32_t pause;
        unsigned writes;
        const char* text;  // null: not checked
    };
    const auto attach = [](TEmulatedBus& b, unsigned n, unsigned mode, bool ignores = false) {
        for (unsigned i = 0; i < n; ++i)
            b.AttachUnit(1, mode).SetIgnoresLaunchModeSwitch(ignores);
    };
    const char* const stayed = "Unable to change launch mode for attached VRXs.";
    const Case cases[] = {
        {"none to switch", [&](TEmulatedBus& b) { attach(b, 1, 2); }, E::Success, 0, 0, "Success."},
        {"two switched", [&](TEmulatedBus& b) { attach(b, 2, 1); }, E::Success, 10000, 4, nullptr},
        {"eleven", [&](TEmulatedBus& b) { attach(b, 11, 1); }, E::LaunchModeFailed, 0, 0, stayed},
        {"two stay", [&](TEmulatedBus& b) { attach(b, 2, 1, true); }, E::LaunchModeFailed, 10000, 4,
         stayed},
        {"binding fails",
         [](TEmulatedBus& b) {
             UnloadHidApi();
             b.SetHidLibraryLoads(false);
         },
         E::DeviceInfoFailed, 5000, 0,
         "Unable to get device information. Unable to Load Win API. API error: 126."},
        {"enumeration fails", [](TEmulatedBus& b) { b.SetClassDevsError(8); }, E::DeviceInfoFailed,
         5000, 0, nullptr},
    };
    for (const Case& c : cases) {
        TEmulatedBus bus;
        TVRXCommandChannel channel;
        c.arrange(bus);
        const uint32_t start = bus.Tick();
        EXPECT_EQ(channel.SwitchUnitsToLaunchMode(), c.result) << c.name;
        EXPECT_EQ(bus.Tick() - start, c.pause) << c.name;
        EXPECT_EQ(bus.Calls().writeFile, c.writes) << c.name;
        char text[256];
        channel.GetErrorText(text);
        if (c.text != nullptr) {
            EXPECT_STREQ(text, c.text) << c.name;
        }
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

TEST_F(ChannelTest, OpeningBeyondTheAttachedUnitsFails) {
    bus.AttachUnit(1);
    EXPECT_EQ(channel.OpenUnit(1, VRXStartAction::None), E::OpenFailed);
    EXPECT_EQ(Text(), "Unable to open VRX. Device index out of range.");
}

TEST_F(ChannelTest, OpeningSendsTheStartUpOfItsStartAction) {
    using M = std::vector<std::pair<int, int>>;
    struct Case {
        uint8_t action, state18;
        M sent;
    };
    const Case cases[] = {
        {0, 127, {{18, 0}, {33, 15}, {18, 0}, {18, 0}, {34, 1}, {19, 0}, {19, 0}}},
        {1, 15, {{18, 0}, {33, 127}, {18, 0}, {18, 0}}},
        {1, 127, {{18, 0}}},
        {2, 15, {{18, 0}}},
    };
    for (const Case& c : cases) {
        TEmulatedUnit& unit = bus.AttachUnit(1);
        unit.SetRegister(18, c.state18);
        EXPECT_EQ(channel.OpenUnit(0, c.action), E::Success);
        EXPECT_EQ(Messages(unit), c.sent) << int(c.action) << "/" << int(c.state18);
        bus.Detach(unit);
    }
}
