// Opening and closing one unit, with and without the traffic log.
#include <gtest/gtest.h>

#include "KL_VRX/emulator.h"
#include "hid/hid_binding.h"
#include "hid/hid_device.h"
#include "os/os.h"
#include "support/log_file.h"
#include "support/temp_dir.h"
#include "support/transport_text.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXTest::CreatedHeader;
using KL_VRXTest::DumpedHeader;
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

// A session as the log shows it: open, one command written and answered,
// then an open of a missing path, which closes the unit first.
TEST(Device, LogOfOpenWriteReadCloseLineByLine) {
    KL_VRXTest::TTempDir dir;
    TEmulatedBus bus;
    bus.SetDriveRoot(dir.Path());
    bus.SetReportLatency(1);
    bus.AttachUnit(1).SetReportLengths(4, 4);
    {
        THIDDevice device;
        device.SwitchLog(true);
        device.SwitchLog(true);  // one logger, one creation header
        bus.SetTick(100);
        ASSERT_EQ(device.OpenUnitByIndex(Vid, Pid1, 0), TransportStatus::Success);
        bus.SetTick(200);
        uint8_t message[4] = {0x00, 0x24, 0x03};
        uint32_t length = 3;
        ASSERT_EQ(device.WriteReport(message, length), TransportStatus::Success);
        ASSERT_EQ(device.ReadReport(message, length), TransportStatus::Success);
        bus.SetTick(300);
        EXPECT_EQ(device.OpenDevicePath("\\\\?\\hid#gone"), TransportStatus::DeviceNotFound);
        EXPECT_EQ(TransportState().lastApiError.Load(), 2u);
        EXPECT_FALSE(device.IsOpen());
    }
    EXPECT_EQ(bus.Calls().closeHandle, 1u);  // nothing left for the destructor

    auto at = [](uint32_t tick) {
        return KL_VRXTest::RecordPrefix(KL_VRXOS::Os().GetCurrentThreadId(), tick);
    };
    EXPECT_EQ(KL_VRXTest::LogText(dir.ReadFile("VRXHIDLog.log")),
              CreatedHeader + DumpedHeader + at(100) +
                  "***Succeeded trying to open device at path: " + bus.InterfacePaths()[0] + "\n" +
                  at(200) + " Attempting to send to device: 00 24 03 \n" + at(201) +
                  "    Send succeeded. Bytes read by device: 4\n" + at(201) +
                  " Attempting to read from device: \n" + at(202) +
                  "    Read succeeded. Bytes read by device: 4 Buffer: 00 24 03 00 \n" + at(300) +
                  "***Device Closed.\n" + DumpedHeader + at(300) +
                  "***Failed trying to open device at path: \\\\?\\hid#gone\n");
}

}  // namespace
