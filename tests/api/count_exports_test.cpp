// GetVRXDeviceCount and GetLastVRXDLLError through the emulator.
#include <gtest/gtest.h>

#include <string>

#include "KL_VRX/KL_VRX.h"
#include "KL_VRX/emulator.h"
#include "support/row_name.h"

using KL_VRXEmu::TEmulatedBus;

namespace {

// No unit: the simulated one alone, and no text until a failure, whose
// text then outlives a later success.
TEST(CountExports, NoUnitCountsOneAndAFailureTextOutlivesSuccess) {
    TEmulatedBus bus;
    bus.AttachForeign(0x046D, 0xC077);
    uint32_t count = 99;
    EXPECT_EQ(GetVRXDeviceCount(&count), 0u);
    EXPECT_EQ(count, 1u);
    const char* text = GetLastVRXDLLError();
    EXPECT_STREQ(text, "");

    bus.SetClassDevsError(13, 2);
    ASSERT_EQ(GetVRXDeviceCount(&count), 5u);
    bus.SetClassDevsError(0);
    EXPECT_EQ(GetVRXDeviceCount(&count), 0u);
    EXPECT_EQ(GetLastVRXDLLError(), text);  // one buffer for the process
    EXPECT_STREQ(text, "Communication with device failed - 0x02!");

    // A count that cannot be delivered is refused before any lookup.
    const unsigned lookups = bus.Calls().classDevs;
    EXPECT_EQ(GetVRXDeviceCount(nullptr), 513u);
    EXPECT_STREQ(text, "Couldn't count VRX devices: Invalid pointer!");
    EXPECT_EQ(bus.Calls().classDevs, lookups);
}

// Units in either launch mode count in their family; other devices do not.
// The device set fails with error from lookup afterCalls + 1 on: the four
// lookups run in the order 0x0E32, 0x0E58, 0x0E31, 0x0E57. One failure per
// pass is fine.
struct TPassCase {
    const char* name;
    uint32_t error = 13;
    unsigned afterCalls = 0;
    bool libraryLoads = true;
    uint32_t status = 5;
    uint32_t count = 77;
    const char* text = "Communication with device failed - 0x01!";
};

class FailedPasses : public ::testing::TestWithParam<TPassCase> {};

TEST_P(FailedPasses, LeaveTheirTexts) {
    const TPassCase& c = GetParam();
    TEmulatedBus bus;
    bus.AttachUnit(1);
    bus.AttachUnit(2);
    bus.AttachUnit(1, 1);
    bus.AttachUnit(2, 1);
    bus.AttachUnit(2);
    bus.AttachForeign(0x3C5A, 0x0E33);
    bus.SetClassDevsError(c.error, c.afterCalls);
    bus.SetHidLibraryLoads(c.libraryLoads);
    uint32_t count = 77;
    EXPECT_EQ(GetVRXDeviceCount(&count), c.status);
    EXPECT_EQ(count, c.count);
    EXPECT_STREQ(GetLastVRXDLLError(), c.text);
    if (c.libraryLoads) {
        EXPECT_EQ(bus.Calls().loadLibrary, 1u);  // bound once for all eight lookups
    }
}

const char* const SecondPass = "Communication with device failed - 0x02!";

// clang-format off
INSTANTIATE_TEST_SUITE_P(CountExports, FailedPasses, ::testing::Values(
    TPassCase{.name = "NoFailure", .error = 0, .status = 0, .count = 6, .text = ""},
    TPassCase{.name = "BothFirstLookups"},
    TPassCase{.name = "NoHidLibrary", .libraryLoads = false},
    TPassCase{.name = "SecondFirstLookupAndBothSecond", .afterCalls = 1, .text = SecondPass},
    TPassCase{.name = "BothSecondLookups", .afterCalls = 2, .text = SecondPass},
    // The failed lookup counts 0.
    TPassCase{.name = "LastLookupOnly", .afterCalls = 3, .status = 0, .count = 5, .text = ""}),
    KL_VRXTest::RowName());
// clang-format on

}  // namespace
