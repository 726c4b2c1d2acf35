// GetVRXDeviceCount and GetLastVRXDLLError through the emulator.
#include <gtest/gtest.h>

#include <string>

#include "KL_VRX/KL_VRX.h"
#include "KL_VRX/emulator.h"
#include "controller/unit_count.h"

using KL_VRXEmu::TEmulatedBus;

namespace {

TEST(CountExports, NoUnitCountsTheSimulatedOneAndLeavesNoText) {
    TEmulatedBus bus;
    bus.AttachForeign(0x046D, 0xC077);
    uint32_t count = 99;
    EXPECT_EQ(GetVRXDeviceCount(&count), 0u);
    EXPECT_EQ(count, 1u);
    EXPECT_STREQ(GetLastVRXDLLError(), "");
}

// Units in either launch mode count in their family.
TEST(CountExports, BothFamiliesUnderBothProductIds) {
    TEmulatedBus bus;
    bus.AttachUnit(1);
    bus.AttachUnit(2, 1);
    bus.AttachUnit(1, 1);
    bus.AttachUnit(2);
    bus.AttachUnit(2);
    bus.AttachForeign(0x3C5A, 0x0E33);
    uint32_t n1 = 0;
    uint32_t n2 = 0;
    EXPECT_EQ(CountAttachedUnits(n1, n2), TUnitCountResult::Counted);
    EXPECT_EQ(n1, 2u);
    EXPECT_EQ(n2, 3u);
    uint32_t count = 0;
    EXPECT_EQ(GetVRXDeviceCount(&count), 0u);
    EXPECT_EQ(count, 6u);
    EXPECT_EQ(bus.Calls().loadLibrary, 1u);  // bound once for all eight lookups
}

// The device set fails from lookup afterCalls + 1 on: the four lookups run
// in the order 0x0E32, 0x0E58, 0x0E31, 0x0E57.
TEST(CountExports, FailedPassesAndTheirTexts) {
    struct {
        unsigned afterCalls;
        uint32_t status;
        uint32_t count;
        const char* text;
    } const cases[] = {
        {0, 5, 77, "Communication with device failed - 0x01!"},
        {1, 5, 77, "Communication with device failed - 0x02!"},  // one first-pass failure is fine
        {2, 5, 77, "Communication with device failed - 0x02!"},
        {3, 0, 4, ""},  // one second-pass failure is fine: its count is 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.afterCalls);
        TEmulatedBus bus;
        bus.AttachUnit(1);
        bus.AttachUnit(2);
        bus.AttachUnit(1, 1);
        bus.AttachUnit(2, 1);
        bus.SetClassDevsError(13, c.afterCalls);
        uint32_t count = 77;
        EXPECT_EQ(GetVRXDeviceCount(&count), c.status);
        EXPECT_EQ(count, c.count);
        EXPECT_STREQ(GetLastVRXDLLError(), c.text);
    }
}

TEST(CountExports, AMissingHidLibraryFailsTheFirstPass) {
    TEmulatedBus bus;
    bus.SetHidLibraryLoads(false);
    uint32_t n1 = 5;
    uint32_t n2 = 5;
    EXPECT_EQ(CountAttachedUnits(n1, n2), TUnitCountResult::FirstPassFailed);
    EXPECT_EQ(n1 + n2, 0u);  // a lookup whose binding failed counts 0
}

TEST(CountExports, TheTextSurvivesALaterSuccess) {
    TEmulatedBus bus;
    bus.SetClassDevsError(13, 2);
    uint32_t count = 0;
    ASSERT_EQ(GetVRXDeviceCount(&count), 5u);
    const char* text = GetLastVRXDLLError();
    bus.SetClassDevsError(0);
    EXPECT_EQ(GetVRXDeviceCount(&count), 0u);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(GetLastVRXDLLError(), text);  // one buffer for the process
    EXPECT_STREQ(text, "Communication with device failed - 0x02!");
}

TEST(CountExports, ANullCountIsRefused) {
    TEmulatedBus bus;
    EXPECT_EQ(GetVRXDeviceCount(nullptr), 513u);
    EXPECT_STREQ(GetLastVRXDLLError(), "Couldn't count VRX devices: Invalid pointer!");
    EXPECT_EQ(bus.Calls().classDevs, 0u);
}

}  // namespace
