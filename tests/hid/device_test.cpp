// Opening and closing one unit, with and without the traffic log.
#include <gtest/gtest.h>

#include "KL_VRX/emulator.h"
#include "hid/hid_api.h"
#include "hid/hid_device.h"
#include "hid/report_io.h"
#include "os/os.h"
#include "support/log_file.h"
#include "support/temp_dir.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXTest::CreatedHeader;
using KL_VRXTest::DumpedHeader;

namespace {

constexpr uint16_t Vid = 0x3C5A;
constexpr uint16_t Pid1 = 0x0E32;

bool IsOpen(const THIDDevice& device) {
    return device.handle != KL_VRXOS::InvalidHandleValue;
}

// One bus for every outcome: a foreign interface that refuses the open, a
// unit, and a unit whose capabilities cannot be read.
TEST(Device, OpenUnitByIndexOutcomes) {
    TEmulatedBus bus;
    bus.AttachForeign(Vid, Pid1);
    bus.AttachUnit(1).SetReportLengths(17, 9);
    bus.AttachUnit(1).SetGetCapsFails(true);
    bus.SetHidLibraryLoads(false);
    THIDDevice device;  // never fails, only records the binding's status
    EXPECT_EQ(LastTransportStatus, TransportStatus::ApiLoadFailed);
    device.inputReportLength = 3;                                     // a previous unit's length
    EXPECT_EQ(device.ReadReportLengths(), TransportStatus::Success);  // closed: nothing
    device.CloseDevice();
    bus.SetHidLibraryLoads(true);
    LastApiError = 77;
    auto open = [&device](uint32_t index, TransportStatus status) {
        EXPECT_EQ(OpenUnitByIndex(device, Vid, Pid1, index), status);
        EXPECT_EQ(LastTransportStatus, status);
        EXPECT_EQ(IsOpen(device), status == TransportStatus::Success);
    };
    open(3, TransportStatus::IndexOutOfRange);  // index equal to the count
    EXPECT_EQ(LastApiError, 77u);
    open(0, TransportStatus::DeviceNotFound);
    EXPECT_EQ(LastApiError, 5u);
    EXPECT_EQ(device.inputReportLength, 3u);
    open(1, TransportStatus::Success);
    EXPECT_EQ(device.inputReportLength, 17u);
    EXPECT_EQ(device.outputReportLength, 9u);
    // Capabilities unreadable: the open unit is closed first, the new one
    // closed again, the lengths zeroed.
    open(2, TransportStatus::DeviceNotFound);
    EXPECT_EQ(LastApiError, 31u);
    EXPECT_EQ(device.inputReportLength, 0u);
    EXPECT_EQ(bus.Calls().closeHandle, 2u);
    // An unreadable interface does not keep the others from opening.
    bus.SetDetailError(0, 1784);
    open(0, TransportStatus::Success);
    EXPECT_EQ(LastApiError, 1784u);
    UnloadHidApi();  // as when another controller was destroyed
    bus.SetHidLibraryLoads(false);
    EXPECT_EQ(OpenUnitByIndex(device, Vid, Pid1, 0), TransportStatus::ApiLoadFailed);
    EXPECT_TRUE(IsOpen(device));  // untouched
    device.CloseDevice();
    device.CloseDevice();
    EXPECT_EQ(bus.Calls().closeHandle, 3u);
    EXPECT_EQ(device.inputReportLength, 17u);  // lengths outlive a close
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
        ASSERT_EQ(OpenUnitByIndex(device, Vid, Pid1, 0), TransportStatus::Success);
        bus.SetTick(200);
        uint8_t message[4] = {0x00, 0x24, 0x03};
        uint32_t length = 3;
        ASSERT_EQ(WriteReport(device, message, length), TransportStatus::Success);
        ASSERT_EQ(ReadReport(device, message, length), TransportStatus::Success);
        bus.SetTick(300);
        EXPECT_EQ(device.OpenDevicePath("\\\\?\\hid#gone"), TransportStatus::DeviceNotFound);
        EXPECT_EQ(LastApiError, 2u);
        EXPECT_FALSE(IsOpen(device));
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
