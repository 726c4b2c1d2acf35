// Binding hid.dll: loaded once, entry points retried, unbound and rebound,
// and a bound check that costs nothing.
#include <gtest/gtest.h>

#include <string>

#include "KL_VRX/emulator.h"
#include "hid/discovery.h"
#include "hid/hid_binding.h"
#include "hid/hid_device.h"
#include "support/transport_text.h"

using KL_VRXEmu::TEmulatedBus;
using namespace KL_VRXHid;
using KL_VRXTest::TransportText;

namespace {

// The paths in the list now (0 when it is gone).
uint32_t ListedPaths() {
    const KL_VRXState::TStateLock lock;
    return CountMatchingPaths(lock, "");
}

// Every transaction and polling round starts with LoadHidApi, so once bound
// it makes no system call (nor any allocation: the controller's allocation
// suite counts it with every transaction). Unloading frees the library
// once and forgets the paths but not the statuses; the next load binds
// afresh with an empty path list.
TEST(Binding, LoadsOnceTheBoundCheckIsFreeAndUnloadRebinds) {
    TEmulatedBus bus;
    ASSERT_EQ(LoadHidApi(), TransportStatus::Success);
    ASSERT_EQ(LoadHidApi(), TransportStatus::Success);
    EXPECT_EQ(bus.Calls().loadLibrary, 1u);
    EXPECT_EQ(bus.Calls().getProcAddress, 7u);

    // A foreign interface under the unit's IDs: enumerated, then refused.
    bus.AttachForeign(KL_VRXTest::Vid, KL_VRXTest::Pid1);
    THIDDevice device;
    EXPECT_EQ(device.OpenUnitByIndex(KL_VRXTest::Vid, KL_VRXTest::Pid1, 0),
              TransportStatus::DeviceNotFound);
    EXPECT_EQ(ListedPaths(), 1u);
    UnloadHidApi();
    UnloadHidApi();  // harmless twice
    EXPECT_FALSE(IsHidApiBound());
    EXPECT_EQ(ListedPaths(), 0u);
    EXPECT_EQ(bus.Calls().freeLibrary, 1u);
    EXPECT_EQ(TransportText(), "Device not found. API error: 5.");

    EXPECT_EQ(LoadHidApi(), TransportStatus::Success);
    EXPECT_EQ(bus.Calls().loadLibrary, 2u);
    EXPECT_EQ(bus.Calls().getProcAddress, 14u);
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
        EXPECT_EQ(LoadHidApi(), TransportStatus::ApiLoadFailed);
        EXPECT_EQ(TransportState().lastApiError.Load(), library ? 126u : 127u);
        EXPECT_FALSE(IsHidApiBound());
        EXPECT_EQ(TransportText(), "Success.");  // binding reports; its callers store the status
        EXPECT_EQ(LoadHidApi(), TransportStatus::ApiLoadFailed);
        present(true);
        EXPECT_EQ(LoadHidApi(), TransportStatus::Success);
        EXPECT_EQ(bus.Calls().loadLibrary, library ? 3u : 1u);
        EXPECT_EQ(bus.Calls().getProcAddress, library ? 7u : 21u);
    }
}

}  // namespace
