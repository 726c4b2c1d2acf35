// Discovery: enumeration failures keep what could be read, and the path
// match ignores case and position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KL_VRX/emulator.h"
#include "hid/discovery.h"
#include "hid/hid_binding.h"
#include "support/row_name.h"
#include "support/transport_text.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXTest::Pid1;
using KL_VRXTest::Vid;
using namespace KL_VRXHid;

namespace {

// The path list in order, as the matching operations give it out.
std::vector<std::string> PathList() {
    const KL_VRXState::TStateLock lock;
    std::vector<std::string> paths;
    for (std::string path; GetMatchingPath(lock, path, "", static_cast<uint32_t>(paths.size())) ==
                           TransportStatus::Success;)
        paths.push_back(path);
    return paths;
}

// Each row attaches `units` units, breaks steps of the enumeration (an error
// for the device set, for the call that ends the list, for each interface's
// detail) and names the paths, in attach order, that must survive.
struct TCountCase {
    const char* name;
    int units = 3;
    bool loads = true;
    uint32_t classDevsError = 0;
    uint32_t listEndError = 0;
    std::vector<uint32_t> detailErrors = {};
    std::vector<size_t> kept = {};
    TransportStatus status = TransportStatus::EnumerationFailed;
    uint32_t apiError = 0;
    const char* text = "";
};

class CountUnitsKeepsEveryReadablePath : public ::testing::TestWithParam<TCountCase> {};

TEST_P(CountUnitsKeepsEveryReadablePath, AndReportsTheFailingStep) {
    const TCountCase& c = GetParam();
    TEmulatedBus bus;
    for (int i = 0; i < c.units; ++i)
        bus.AttachUnit(1);
    const std::vector<std::string> all = bus.InterfacePaths();
    bus.SetHidLibraryLoads(c.loads);
    bus.SetClassDevsError(c.classDevsError);
    bus.SetEnumerationError(c.listEndError);
    for (size_t i = 0; i < c.detailErrors.size(); ++i)
        bus.SetDetailError(i, c.detailErrors[i]);

    uint32_t count = 99;
    EXPECT_EQ(CountUnits(Vid, Pid1, count), c.status);
    std::vector<std::string> expected;
    for (size_t i : c.kept)
        expected.push_back(all[i]);
    EXPECT_EQ(PathList(), expected);
    EXPECT_EQ(count, c.loads ? expected.size() : 99u);  // unwritten without a binding
    EXPECT_EQ(TransportState().lastApiError.Load(), c.apiError);
    EXPECT_EQ(KL_VRXTest::TransportText(), c.text);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Discovery, CountUnitsKeepsEveryReadablePath, ::testing::Values(
    TCountCase{.name = "NoUnit", .units = 0, .status = TransportStatus::Success, .text = "Success."},
    TCountCase{.name = "NoHidLibrary", .loads = false, .status = TransportStatus::ApiLoadFailed,
               .apiError = 126, .text = "Unable to Load Win API. API error: 126."},
    TCountCase{.name = "NoDeviceSet", .classDevsError = 13, .apiError = 13,
               .text = "Bad HID Comms. Code: 1. API error: 13."},
    TCountCase{.name = "ListEndsInAnError", .listEndError = 1784, .kept = {0, 1, 2},
               .apiError = 1784, .text = "Bad HID Comms. Code: 2. API error: 1784."},
    TCountCase{.name = "OneDetailFails", .detailErrors = {0, 31}, .kept = {0, 2}, .apiError = 31,
               .text = "Bad HID Comms. Code: 3. API error: 31."},
    // After a failed interface the error of the final call is not consulted.
    TCountCase{.name = "DetailErrorOutranksListEnd", .listEndError = 1784, .detailErrors = {8},
               .kept = {1, 2}, .apiError = 8, .text = "Bad HID Comms. Code: 3. API error: 8."},
    // With several failed interfaces the last one's error is kept.
    TCountCase{.name = "LastDetailErrorKept", .detailErrors = {8, 0, 32}, .kept = {1},
               .apiError = 32, .text = "Bad HID Comms. Code: 3. API error: 32."}),
    KL_VRXTest::RowName());
// clang-format on

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

}  // namespace
