// A unit that leaves the bus: its node and sysfs entry go away, and the
// handle the library holds sees it gone.
#include <optional>

#include "umockdev/host_fixture.h"

namespace {

using namespace KL_VRXTest;

constexpr char SendFailed[] = "Problem sending data to VRX. Send fail. API error: 1167.";
constexpr char ReadFailed[] = "Problem reading data from VRX. Read fail. API error: 1167.";

struct TUnplugCase {
    const char* name;
    std::optional<uint8_t> onCommand;  // nullopt: unplugged before the operation
    TUnplug moment;
    const char* text;

    friend void PrintTo(const TUnplugCase& c, std::ostream* out) { *out << c.name; }
};

class HidrawUnplug : public HidrawHost, public ::testing::WithParamInterface<TUnplugCase> {};

TEST_P(HidrawUnplug, FailsTheOperationWithTheDeviceGoneAndLeavesTheCount) {
    const TUnplugCase& c = GetParam();
    TFakeUnit& unit = bed.PlugUnit(1);
    TVRX vrx = Create(1);
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    ASSERT_EQ(Count(), 2u);
    unit.SetTransitionTime(21, 50);
    if (c.onCommand)
        unit.UnplugOn(*c.onCommand, c.moment);
    else
        bed.Unplug(unit);

    EXPECT_EQ(vrx->SetPosition21(2), 5u);
    EXPECT_STREQ(vrx->GetLastErrorText(), c.text);
    EXPECT_FALSE(unit.Present());
    EXPECT_FALSE(bed.HasNode(0));
    EXPECT_FALSE(bed.HasSysfsEntry(0));
    EXPECT_EQ(Count(), 1u);
    // Parking the gone unit fails quietly; deleting succeeds.
    vrx.reset();
    EXPECT_FALSE(Create(1));
    EXPECT_STREQ(GetLastVRXDLLError(), "Index out of range.");
}

INSTANTIATE_TEST_SUITE_P(
    Moments, HidrawUnplug,
    ::testing::Values(
        TUnplugCase{"BetweenOperations", std::nullopt, TUnplug::AsWritten, SendFailed},
        TUnplugCase{"AsTheCommandIsWritten", 36, TUnplug::AsWritten, SendFailed},
        TUnplugCase{"BeforeTheCommandIsAnswered", 36, TUnplug::BeforeReply, ReadFailed},
        TUnplugCase{"WhileItsStateIsPolled", 21, TUnplug::BeforeReply, ReadFailed}),
    [](const auto& info) { return std::string(info.param.name); });

// A unit that takes commands and never answers fails the read after the 3 s
// reply time-out. Disabled while the backend's read blocks until a report
// comes: on a real unit this read would never return (the fake node reports
// it as a problem instead of hanging). Enable it once reads are bounded.
TEST_F(HidrawHost, DISABLED_ASilentUnitTimesOutAfterThreeSeconds) {
    TFakeUnit& unit = bed.PlugUnit(1);
    TVRX vrx = Create(1);
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    unit.SetSilent(true);
    const uint64_t start = clock.Now();
    uint32_t position = 7;
    EXPECT_EQ(vrx->GetPosition21(&position), 5u);
    EXPECT_STREQ(vrx->GetLastErrorText(), "Have timed out trying to read from the device.");
    EXPECT_EQ(position, 7u);
    EXPECT_GT(clock.Now() - start, 3000u);
    EXPECT_LT(clock.Now() - start, 3100u);
    unit.SetSilent(false);
}

}  // namespace
