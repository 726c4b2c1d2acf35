// Binding hid.dll: loaded once, entry points retried, unbound and rebound,
// and a bound check that costs nothing.
#include <gtest/gtest.h>

#include "KL_VRX/emulator.h"
#include "hid/hid_api.h"
#include "support/allocation_counter.h"

using KL_VRXEmu::TEmulatedBus;

namespace {

const char* const entryPoints[] = {
    "HidD_GetHidGuid",       "HidD_GetPreparsedData",      "HidD_FreePreparsedData",
    "HidP_GetCaps",          "HidD_GetSerialNumberString", "HidD_GetManufacturerString",
    "HidD_GetProductString",
};

TEST(Binding, LoadsTheLibraryOnceAcrossManyCalls) {
    TEmulatedBus bus;
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(LoadHidApi(), TransportStatus::Success);
    EXPECT_TRUE(IsHidApiBound());
    EXPECT_EQ(bus.Calls().loadLibrary, 1u);
    EXPECT_EQ(bus.Calls().getProcAddress, 7u);
    EXPECT_EQ(bus.Calls().freeLibrary, 0u);
}

// Every one of the seven names is required, even the three never called.
TEST(Binding, AnyMissingEntryPointKeepsTheLibraryAndRetriesOnlyTheLookups) {
    for (const char* name : entryPoints) {
        SCOPED_TRACE(name);
        TEmulatedBus bus;
        bus.SetEntryPointPresent(name, false);
        LastTransportStatus = TransportStatus::DeviceNotOpen;

        EXPECT_EQ(LoadHidApi(), TransportStatus::ApiLoadFailed);
        EXPECT_EQ(LastApiError, 127u);
        EXPECT_FALSE(IsHidApiBound());
        EXPECT_TRUE(HidPathList != nullptr);
        // Binding reports; its callers store the status.
        EXPECT_EQ(LastTransportStatus, TransportStatus::DeviceNotOpen);

        EXPECT_EQ(LoadHidApi(), TransportStatus::ApiLoadFailed);
        bus.SetEntryPointPresent(name, true);
        EXPECT_EQ(LoadHidApi(), TransportStatus::Success);

        const auto calls = bus.Calls();
        EXPECT_EQ(calls.loadLibrary, 1u);
        EXPECT_EQ(calls.getProcAddress, 21u);
        EXPECT_EQ(calls.freeLibrary, 0u);
    }
}

TEST(Binding, AMissingLibraryIsLoadedAgainAtTheNextCall) {
    TEmulatedBus bus;
    bus.SetHidLibraryLoads(false);
    EXPECT_EQ(LoadHidApi(), TransportStatus::ApiLoadFailed);
    EXPECT_EQ(LastApiError, 126u);
    EXPECT_TRUE(HidPathList != nullptr);
    EXPECT_EQ(bus.Calls().getProcAddress, 0u);

    bus.SetHidLibraryLoads(true);
    EXPECT_EQ(LoadHidApi(), TransportStatus::Success);
    EXPECT_EQ(bus.Calls().loadLibrary, 2u);
    EXPECT_EQ(bus.Calls().getProcAddress, 7u);
}

TEST(Binding, UnloadFreesOnceAndTheNextLoadBindsAfresh) {
    TEmulatedBus bus;
    ASSERT_EQ(LoadHidApi(), TransportStatus::Success);
    HidPathList->push_back("stale");
    LastTransportStatus = TransportStatus::SendFailed;
    LastApiError = 31;

    UnloadHidApi();
    UnloadHidApi();  // harmless twice
    EXPECT_FALSE(IsHidApiBound());
    EXPECT_EQ(HidPathList, nullptr);
    EXPECT_EQ(bus.Calls().freeLibrary, 1u);
    EXPECT_EQ(LastTransportStatus, TransportStatus::SendFailed);
    EXPECT_EQ(LastApiError, 31u);

    EXPECT_EQ(LoadHidApi(), TransportStatus::Success);
    EXPECT_EQ(bus.Calls().loadLibrary, 2u);
    EXPECT_EQ(bus.Calls().getProcAddress, 14u);
    ASSERT_TRUE(HidPathList != nullptr);
    EXPECT_TRUE(HidPathList->empty());
}

// Every transaction and polling round starts with this check.
TEST(Binding, TheBoundCheckMakesNoSystemCallAndNoAllocation) {
    TEmulatedBus bus;
    ASSERT_EQ(LoadHidApi(), TransportStatus::Success);
    const auto before = bus.Calls();

    uint32_t failures = 0;
    KL_VRXTest::TAllocationProbe probe;
    for (int i = 0; i < 10000; ++i)
        failures += LoadHidApi() != TransportStatus::Success;
    const uint64_t allocations = probe.Allocations();

    EXPECT_EQ(failures, 0u);
    EXPECT_EQ(allocations, 0u);
    const auto after = bus.Calls();
    EXPECT_EQ(after.loadLibrary, before.loadLibrary);
    EXPECT_EQ(after.getProcAddress, before.getProcAddress);
    EXPECT_EQ(after.freeLibrary, before.freeLibrary);
}

// The probe itself sees allocations, so a zero above means something.
TEST(Binding, TheAllocationProbeCountsAllocations) {
    static int* volatile sink = nullptr;
    KL_VRXTest::TAllocationProbe probe;
    sink = new int(1);
    delete sink;
    EXPECT_EQ(probe.Allocations(), 1u);
}

}  // namespace
