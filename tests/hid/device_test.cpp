// Opening and closing one unit (the log of an open: ReportIo's records).
#include <gtest/gtest.h>

#include "KL_VRX/emulator.h"
#include "hid/hid_binding.h"
#include "hid/hid_device.h"
#include "support/transport_text.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXTest::Pid1;
using KL_VRXTest::TransportText;
using KL_VRXTest::Vid;
using namespace KL_VRXHid;

namespace {

// One bus for every outcome: a foreign interface that refuses the open, a
// unit, and a unit whose capabilities cannot be read. Each open leaves its
// status and API error for the text.
TEST(Device, OpenUnitByIndexOutcomes) {
    TEmulatedBus bus;
    bus.AttachForeign(Vid, Pid1);
    bus.AttachUnit(1).SetReportLengths(17, 9);
    bus.AttachUnit(1).SetGetCapsFails(true);
    bus.SetHidLibraryLoads(false);
    THIDDevice device;  // never fails, only records the binding's status
    EXPECT_EQ(TransportText(), "Unable to Load Win API. API error: 126.");
    EXPECT_EQ(device.ReadReportLengths(), TransportStatus::Success);  // closed: nothing
    device.CloseDevice();
    EXPECT_EQ(bus.Calls().closeHandle, 0u);
    bus.SetHidLibraryLoads(true);
    auto open = [&device](uint32_t index, TransportStatus status, const char* text) {
        EXPECT_EQ(device.OpenUnitByIndex(Vid, Pid1, index), status);
        EXPECT_EQ(TransportText(), text);
        EXPECT_EQ(device.IsOpen(), status == TransportStatus::Success);
    };
    open(0, TransportStatus::DeviceNotFound, "Device not found. API error: 5.");
    open(3, TransportStatus::IndexOutOfRange, "Device index out of range.");  // the count
    EXPECT_EQ(TransportState().lastApiError.Load(), 5u);  // an index is no system error
    open(1, TransportStatus::Success, "Success.");
    EXPECT_EQ(device.InputReportLength(), 17u);
    EXPECT_EQ(device.OutputReportLength(), 9u);
    // Capabilities unreadable: the open unit is closed first, the new one
    // closed again, the lengths zeroed.
    open(2, TransportStatus::DeviceNotFound, "Device not found. API error: 31.");
    EXPECT_EQ(device.InputReportLength(), 0u);
    EXPECT_EQ(device.OutputReportLength(), 0u);
    EXPECT_EQ(bus.Calls().closeHandle, 2u);
    // An unreadable interface does not keep the others from opening.
    bus.SetDetailError(0, 1784);
    open(0, TransportStatus::Success, "Success.");
    EXPECT_EQ(TransportState().lastApiError.Load(), 1784u);
    UnloadHidApi();  // as when another controller was destroyed
    bus.SetHidLibraryLoads(false);
    EXPECT_EQ(device.OpenUnitByIndex(Vid, Pid1, 0), TransportStatus::ApiLoadFailed);
    EXPECT_TRUE(device.IsOpen());  // untouched
    device.CloseDevice();
    device.CloseDevice();
    EXPECT_EQ(bus.Calls().closeHandle, 3u);
    // Lengths outlive a close and a failed open, and a closed device keeps
    // them when asked to read them.
    bus.SetHidLibraryLoads(true);
    bus.SetDetailError(0, 0);
    open(0, TransportStatus::DeviceNotFound, "Device not found. API error: 5.");
    EXPECT_EQ(device.ReadReportLengths(), TransportStatus::Success);
    EXPECT_EQ(device.InputReportLength(), 17u);
}

}  // namespace
