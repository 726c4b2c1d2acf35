// GetVRXDeviceCount and GetLastVRXDLLError through the emulator.
#include <gtest/gtest.h>

#include "KL_VRX/KL_VRX.h"
#include "KL_VRX/emulator.h"
#include "controller/unit_count.h"

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
// in the order 0x0E32, 0x0E58, 0x0E31, 0x0E57. One failure per pass is fine.
TEST(CountExports, FailedPassesAndTheirTexts) {
    struct {
        unsigned afterCalls;
        bool libraryLoads;
        uint32_t status;
        uint32_t count;
        const char* text;
    } const cases[] = {
        {0, true, 5, 77, "Communication with device failed - 0x01!"},
        {0, false, 5, 77, "Communication with device failed - 0x01!"},
        {1, true, 5, 77, "Communication with device failed - 0x02!"},
        {2, true, 5, 77, "Communication with device failed - 0x02!"},
        {3, true, 0, 4, ""},  // the failed lookup counts 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.afterCalls);
        TEmulatedBus bus;
        bus.AttachUnit(1);
        bus.AttachUnit(2);
        bus.AttachUnit(1, 1);
        bus.AttachUnit(2, 1);
        bus.SetClassDevsError(13, c.afterCalls);
        bus.SetHidLibraryLoads(c.libraryLoads);
        uint32_t count = 77;
        EXPECT_EQ(GetVRXDeviceCount(&count), c.status);
        EXPECT_EQ(count, c.count);
        EXPECT_STREQ(GetLastVRXDLLError(), c.text);
    }
}

}  // namespace
