// Discovery: enumeration failures keep what could be read, the path match
// ignores case and position, and every interface of a unit counts.
#include <gtest/gtest.h>

#include "KL_VRX/emulator.h"
#include "hid/discovery.h"
#include "hid/hid_api.h"

using KL_VRXEmu::TEmulatedBus;

namespace {

constexpr uint16_t Vid = 0x3C5A;
constexpr uint16_t Pid1 = 0x0E32;

constexpr auto Ok = TransportStatus::Success;
constexpr auto Failed = TransportStatus::EnumerationFailed;
constexpr auto Unbound = TransportStatus::ApiLoadFailed;

// Each case attaches `units` units, breaks steps of the enumeration (an error
// for the device set, for the call that ends the list, for each interface's
// detail) and names the paths, in attach order, that must survive.
struct TCountCase {
    int units;
    bool loads;
    uint32_t classDevs, listEnd;
    std::vector<uint32_t> detail;
    std::vector<size_t> kept;
    TransportStatus status;
    uint32_t apiError;
    const char* text;
};

const TCountCase countCases[] = {
    {0, true, 0, 0, {}, {}, Ok, 0, "Success."},
    {3, false, 0, 0, {}, {}, Unbound, 126, "Unable to Load Win API. API error: 126."},
    {3, true, 13, 0, {}, {}, Failed, 13, "Bad HID Comms. Code: 1. API error: 13."},
    {3, true, 0, 1784, {}, {0, 1, 2}, Failed, 1784, "Bad HID Comms. Code: 2. API error: 1784."},
    {3, true, 0, 0, {0, 31}, {0, 2}, Failed, 31, "Bad HID Comms. Code: 3. API error: 31."},
    // After a failed interface the error of the final call is not consulted.
    {3, true, 0, 1784, {8}, {1, 2}, Failed, 8, "Bad HID Comms. Code: 3. API error: 8."},
    // With several failed interfaces the last one's error is kept.
    {3, true, 0, 0, {8, 0, 32}, {1}, Failed, 32, "Bad HID Comms. Code: 3. API error: 32."},
};

TEST(Discovery, CountUnitsKeepsEveryReadablePath) {
    for (const auto& c : countCases) {
        SCOPED_TRACE(c.text);
        TEmulatedBus bus;
        for (int i = 0; i < c.units; ++i)
            bus.AttachUnit(1);
        const std::vector<std::string> all = bus.InterfacePaths();
        bus.SetHidLibraryLoads(c.loads);
        bus.SetClassDevsError(c.classDevs);
        bus.SetEnumerationError(c.listEnd);
        for (size_t i = 0; i < c.detail.size(); ++i)
            bus.SetDetailError(i, c.detail[i]);

        uint32_t count = 99;
        EXPECT_EQ(CountUnits(Vid, Pid1, count), c.status);
        EXPECT_EQ(LastTransportStatus, c.status);
        std::vector<std::string> expected;
        for (size_t i : c.kept)
            expected.push_back(all[i]);
        EXPECT_EQ(*HidPathList, expected);
        EXPECT_EQ(count, c.loads ? expected.size() : 99u);  // unwritten without a binding
        EXPECT_EQ(LastApiError, c.apiError);
        char text[TransportTextSize];
        GetTransportStatusText(text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(Discovery, PathMatchIgnoresCaseAndPositionButNotForm) {
    const std::string text = MatchText(Vid, Pid1);
    EXPECT_EQ(text, "vid_3C5A&pid_0E32");
    EXPECT_EQ(MatchText(0x000A, 0xBEEF), "vid_000A&pid_BEEF");
    struct {
        const char* path;
        bool matches;
    } const cases[] = {
        {"\\\\?\\hid#vid_3c5a&pid_0e32#7&1&0&0000#{4d1e55b2}", true},
        {"\\\\?\\HID#VID_3C5A&PID_0E32#7&1&0&0000#{4D1E55B2}", true},
        {"vid_3c5A&PiD_0e32", true},                // mixed case, the whole path
        {"\\\\?\\hid#vid_3c5a&pid_0e321#x", true},  // not anchored at the end
        {"\\\\?\\hid#vid_3c5a&pid_0e31#x", false},  // the other launch mode
        {"\\\\?\\hid#vid_3c5a#pid_0e32#x", false},  // other separator
        {"\\\\?\\hid#pid_0e32&vid_3c5a#x", false},  // other order
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathMatches(c.path, text), c.matches) << c.path;
    EXPECT_TRUE(PathMatches("anything", ""));
}

// A unit with a second HID interface under the same IDs contributes two
// paths, each selectable; the two launch modes of a family count apart.
TEST(Discovery, EveryInterfaceCountsAndLaunchModesCountApart) {
    TEmulatedBus bus;
    bus.AttachUnit(1);
    bus.AttachForeign(0x046D, 0xC077);
    bus.AttachForeign(Vid, Pid1);
    bus.AttachUnit(1, 1);
    uint32_t first = 0;
    uint32_t second = 0;
    EXPECT_EQ(CountUnits(Vid, 0x0E31, second), TransportStatus::Success);
    EXPECT_EQ(CountUnits(Vid, Pid1, first), TransportStatus::Success);
    EXPECT_EQ(first, 2u);
    EXPECT_EQ(second, 1u);
    std::string path = "untouched";
    EXPECT_EQ(GetMatchingPath(path, MatchText(Vid, Pid1), 2), 1u);
    EXPECT_EQ(path, "untouched");
    EXPECT_EQ(GetMatchingPath(path, MatchText(Vid, Pid1), 1), 0u);
    EXPECT_EQ(path, bus.InterfacePaths()[2]);
}

}  // namespace
