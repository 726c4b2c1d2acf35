// Discovery: enumeration failures keep what could be read, the path match
// ignores case and position, and every interface of a unit counts.
#include <gtest/gtest.h>

#include <cstring>

#include "KL_VRX/emulator.h"
#include "hid/discovery.h"
#include "hid/hid_api.h"

using KL_VRXEmu::TEmulatedBus;

namespace {

constexpr uint16_t Vid = 0x3C5A;
constexpr uint16_t Pid1 = 0x0E32;

std::string StatusText() {
    char text[TransportTextSize];
    GetTransportStatusText(text);
    return text;
}

TEST(Discovery, NoInterfaceCountsZeroWithSuccess) {
    TEmulatedBus bus;
    uint32_t count = 99;
    EXPECT_EQ(CountUnits(Vid, Pid1, count), TransportStatus::Success);
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(HidPathList->empty());
}

TEST(Discovery, AFailedBindingLeavesTheCountUnwritten) {
    TEmulatedBus bus;
    bus.AttachUnit(1);
    bus.SetHidLibraryLoads(false);
    uint32_t count = 99;
    EXPECT_EQ(CountUnits(Vid, Pid1, count), TransportStatus::ApiLoadFailed);
    EXPECT_EQ(LastTransportStatus, TransportStatus::ApiLoadFailed);
    EXPECT_EQ(count, 99u);
    EXPECT_EQ(StatusText(), "Unable to Load Win API. API error: 126.");
}

// Three units, attached in order; each case breaks the enumeration at one
// Setup API step and names the paths that must survive.
struct TEnumerationFailure {
    const char* name;
    void (*arrange)(TEmulatedBus&);
    std::vector<size_t> kept;  // indices into the attach order
    uint32_t apiError;
    const char* text;
};

const TEnumerationFailure enumerationFailures[] = {
    {"device set",
     [](TEmulatedBus& b) { b.SetClassDevsError(13); },
     {},
     13,
     "Bad HID Comms. Code: 1. API error: 13."},
    {"list end",
     [](TEmulatedBus& b) { b.SetEnumerationError(1784); },
     {0, 1, 2},
     1784,
     "Bad HID Comms. Code: 2. API error: 1784."},
    {"one detail",
     [](TEmulatedBus& b) { b.SetDetailError(1, 31); },
     {0, 2},
     31,
     "Bad HID Comms. Code: 3. API error: 31."},
    // After a failed interface the error of the final call is not consulted.
    {"detail then list end",
     [](TEmulatedBus& b) {
         b.SetDetailError(0, 8);
         b.SetEnumerationError(1784);
     },
     {1, 2},
     8,
     "Bad HID Comms. Code: 3. API error: 8."},
    {"two details (last wins)",
     [](TEmulatedBus& b) {
         b.SetDetailError(0, 8);
         b.SetDetailError(2, 0x80070005);
     },
     {1},
     0x80070005,
     "Bad HID Comms. Code: 3. API error: -2147024891."},
};

TEST(Discovery, EnumerationFailuresGiveSevenAndKeepEveryReadablePath) {
    for (const auto& c : enumerationFailures) {
        SCOPED_TRACE(c.name);
        TEmulatedBus bus;
        bus.AttachUnit(1);
        bus.AttachUnit(1);
        bus.AttachUnit(1);
        const std::vector<std::string> all = bus.InterfacePaths();
        c.arrange(bus);

        uint32_t count = 99;
        EXPECT_EQ(CountUnits(Vid, Pid1, count), TransportStatus::EnumerationFailed);
        std::vector<std::string> expected;
        for (size_t i : c.kept)
            expected.push_back(all[i]);
        EXPECT_EQ(*HidPathList, expected);
        EXPECT_EQ(count, expected.size());
        EXPECT_EQ(LastApiError, c.apiError);
        EXPECT_EQ(StatusText(), c.text);
    }
}

TEST(Discovery, AFailureDoesNotOutliveTheNextEnumeration) {
    TEmulatedBus bus;
    bus.AttachUnit(1);
    bus.SetDetailError(0, 31);
    uint32_t count = 0;
    ASSERT_EQ(CountUnits(Vid, Pid1, count), TransportStatus::EnumerationFailed);
    bus.SetDetailError(0, 0);
    EXPECT_EQ(CountUnits(Vid, Pid1, count), TransportStatus::Success);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(LastApiError, 31u);  // never cleared on success
}

TEST(Discovery, PathMatchIgnoresCaseAndPositionButNotForm) {
    const std::string text = MatchText(Vid, Pid1);
    EXPECT_EQ(text, "vid_3C5A&pid_0E32");
    struct {
        const char* path;
        bool matches;
    } const cases[] = {
        {"\\\\?\\hid#vid_3c5a&pid_0e32#7&1&0&0000#{4d1e55b2}", true},
        {"\\\\?\\HID#VID_3C5A&PID_0E32#7&1&0&0000#{4D1E55B2}", true},
        {"\\\\?\\hid#Vid_3c5A&PiD_0e32", true},
        {"vid_3c5a&pid_0e32", true},                // the whole path
        {"\\\\?\\hid#vid_3c5a&pid_0e321#x", true},  // not anchored at the end
        {"\\\\?\\hid#vid_3c5a&pid_0e31#x", false},  // the other launch mode
        {"\\\\?\\hid#vid_3c5a#pid_0e32#x", false},  // other separator
        {"\\\\?\\hid#pid_0e32&vid_3c5a#x", false},  // other order
        {"\\\\?\\hid#vid_3c5a&pid_e32#x", false},   // no leading zero
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathMatches(c.path, text), c.matches) << c.path;
    EXPECT_TRUE(PathMatches("anything", ""));
    EXPECT_EQ(MatchText(0x000A, 0xBEEF), "vid_000A&pid_BEEF");
}

TEST(Discovery, SelectionKeepsTheOriginalCaseAndSkipsOtherDevices) {
    TEmulatedBus bus;
    ASSERT_EQ(LoadHidApi(), TransportStatus::Success);
    *HidPathList = {"\\\\?\\HID#VID_3C5A&PID_0E32#A", "\\\\?\\hid#vid_046d&pid_c077#m",
                    "\\\\?\\hid#Vid_3c5a&Pid_0E32#b"};
    const std::string text = MatchText(Vid, Pid1);
    EXPECT_EQ(CountMatchingPaths(text), 2u);

    std::string path = "untouched";
    EXPECT_EQ(GetMatchingPath(path, text, 1), 0u);
    EXPECT_EQ(path, "\\\\?\\hid#Vid_3c5a&Pid_0E32#b");
    EXPECT_EQ(GetMatchingPath(path, text, 0), 0u);
    EXPECT_EQ(path, "\\\\?\\HID#VID_3C5A&PID_0E32#A");
    path = "untouched";
    EXPECT_EQ(GetMatchingPath(path, text, 2), 1u);
    EXPECT_EQ(path, "untouched");
    HidPathList->clear();
    EXPECT_EQ(GetMatchingPath(path, text, 0), 1u);
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
    EXPECT_EQ(CountUnits(Vid, Pid1, first), TransportStatus::Success);
    EXPECT_EQ(CountUnits(Vid, 0x0E31, second), TransportStatus::Success);
    EXPECT_EQ(first, 2u);
    EXPECT_EQ(second, 1u);

    const auto paths = bus.InterfacePaths();
    std::string path;
    EXPECT_EQ(GetMatchingPath(path, MatchText(Vid, Pid1), 1), 0u);
    EXPECT_EQ(path, paths[2]);
    EXPECT_EQ(HidPathList->size(), 4u);
}

}  // namespace
