// Binding hid.dll: loaded once, entry points retried, unbound and rebound,
// and a bound check that costs nothing.
#include <gtest/gtest.h>

#include "KL_VRX/emulator.h"
#include "hid/hid_api.h"
#include "support/allocation_counter.h"

using KL_VRXEmu::TEmulatedBus;

namespace {

// Every transaction and polling round starts with LoadHidApi, so once bound
// it must make no system call and no allocation. Unloading frees the library
// once; the next load binds afresh with a new, empty path list.
TEST(Binding, LoadsOnceTheBoundCheckIsFreeAndUnloadRebinds) {
    TEmulatedBus bus;
    ASSERT_EQ(LoadHidApi(), TransportStatus::Success);
    const uint64_t before = KL_VRXTest::AllocationCount();
    uint32_t failures = 0;
    for (int i = 0; i < 10000; ++i)
        failures += LoadHidApi() != TransportStatus::Success;
    const uint64_t allocations = KL_VRXTest::AllocationCount() - before;
    int* volatile sink = new int(1);  // the counter does see one
    delete sink;
    EXPECT_EQ(failures, 0u);
    EXPECT_EQ(allocations, 0u);
    EXPECT_EQ(KL_VRXTest::AllocationCount() - before, 1u);
    EXPECT_EQ(bus.Calls().loadLibrary, 1u);
    EXPECT_EQ(bus.Calls().getProcAddress, 7u);

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
    EXPECT_TRUE(IsHidApiBound());
    EXPECT_EQ(bus.Calls().loadLibrary, 2u);
    EXPECT_EQ(bus.Calls().getProcAddress, 14u);
    ASSERT_NE(HidPathList, nullptr);
    EXPECT_TRUE(HidPathList->empty());
}

// A missing hid.dll is loaded again at the next call. Every one of the seven
// names is required, even the three never called; when one is missing the
// library stays loaded and only the lookups are repeated.
TEST(Binding, FailedBindingsAreRetried) {
    for (const std::string name :
         {"hid.dll", "HidD_GetHidGuid", "HidD_GetPreparsedData", "HidD_FreePreparsedData",
          "HidP_GetCaps", "HidD_GetSerialNumberString", "HidD_GetManufacturerString",
          "HidD_GetProductString"}) {
        SCOPED_TRACE(name);
        TEmulatedBus bus;
        const bool library = name == "hid.dll";
        auto present = [&](bool on) {
            library ? bus.SetHidLibraryLoads(on) : bus.SetEntryPointPresent(name, on);
        };
        present(false);
        LastTransportStatus = TransportStatus::DeviceNotOpen;
        EXPECT_EQ(LoadHidApi(), TransportStatus::ApiLoadFailed);
        EXPECT_EQ(LastApiError, library ? 126u : 127u);
        EXPECT_FALSE(IsHidApiBound());
        EXPECT_NE(HidPathList, nullptr);
        // Binding reports; its callers store the status.
        EXPECT_EQ(LastTransportStatus, TransportStatus::DeviceNotOpen);

        EXPECT_EQ(LoadHidApi(), TransportStatus::ApiLoadFailed);
        present(true);
        EXPECT_EQ(LoadHidApi(), TransportStatus::Success);
        EXPECT_EQ(bus.Calls().loadLibrary, library ? 3u : 1u);
        EXPECT_EQ(bus.Calls().getProcAddress, library ? 7u : 21u);
    }
}

}  // namespace
