// Opening and closing one unit, with and without the traffic log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "KL_VRX/emulator.h"
#include "hid/hid_api.h"
#include "hid/hid_device.h"
#include "hid/report_io.h"
#include "log/logger.h"
#include "os/os.h"
#include "support/log_file.h"
#include "support/temp_dir.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXTest::CrLfLines;
using KL_VRXTest::IsStampLine;
using KL_VRXTest::RecordPrefix;

namespace {

constexpr uint16_t Vid = 0x3C5A;
constexpr uint16_t Pid1 = 0x0E32;
const char* const LogName = "VRXHIDLog.log";

bool IsOpen(const THIDDevice& device) {
    return device.handle != KL_VRXOS::InvalidHandleValue;
}

struct TOpenCase {
    const char* name;
    void (*arrange)(TEmulatedBus&);
    uint32_t index;
    TransportStatus status;
    uint32_t apiError;  // LastApiError afterwards (starts at 77)
};

const TOpenCase openCases[] = {
    {"no interface", [](TEmulatedBus&) {}, 0, TransportStatus::IndexOutOfRange, 77},
    {"index equal to the count", [](TEmulatedBus& b) { b.AttachUnit(1); }, 1,
     TransportStatus::IndexOutOfRange, 77},
    {"library missing",
     [](TEmulatedBus& b) {
         b.AttachUnit(1);
         b.SetHidLibraryLoads(false);
         UnloadHidApi();  // as when another controller was destroyed
     },
     0, TransportStatus::ApiLoadFailed, 126},
    {"device set fails: empty list",
     [](TEmulatedBus& b) {
         b.AttachUnit(1);
         b.SetClassDevsError(13);
     },
     0, TransportStatus::IndexOutOfRange, 13},
    {"capabilities unreadable", [](TEmulatedBus& b) { b.AttachUnit(1).SetGetCapsFails(true); }, 0,
     TransportStatus::DeviceNotFound, 31},
    {"path refuses the open",
     [](TEmulatedBus& b) {
         b.AttachForeign(Vid, Pid1);
         b.AttachUnit(1);
     },
     0, TransportStatus::DeviceNotFound, 5},
    {"another interface unreadable",
     [](TEmulatedBus& b) {
         b.AttachUnit(1);
         b.AttachUnit(1).SetReportLengths(17, 9);
         b.SetDetailError(0, 31);
     },
     0, TransportStatus::Success, 31},
};

TEST(Device, OpenUnitByIndexStatuses) {
    for (const auto& c : openCases) {
        SCOPED_TRACE(c.name);
        TEmulatedBus bus;
        THIDDevice device;
        c.arrange(bus);
        LastApiError = 77;
        device.inputReportLength = 3;  // a previous unit's lengths
        device.outputReportLength = 3;

        EXPECT_EQ(OpenUnitByIndex(device, Vid, Pid1, c.index), c.status);
        EXPECT_EQ(LastTransportStatus, c.status);
        EXPECT_EQ(LastApiError, c.apiError);
        EXPECT_EQ(IsOpen(device), c.status == TransportStatus::Success);
        if (c.status == TransportStatus::Success) {
            EXPECT_EQ(device.inputReportLength, 17u);
            EXPECT_EQ(device.outputReportLength, 9u);
        } else if (c.status == TransportStatus::DeviceNotFound && c.apiError == 31) {
            // Capabilities failed after the open: closed again, lengths zeroed.
            EXPECT_EQ(bus.Calls().closeHandle, 1u);
            EXPECT_EQ(device.inputReportLength, 0u);
            EXPECT_EQ(device.outputReportLength, 0u);
        } else {
            EXPECT_EQ(device.inputReportLength, 3u);
        }
    }
}

TEST(Device, ClosedDeviceOperationsTouchNothing) {
    TEmulatedBus bus;
    bus.AttachUnit(1);
    THIDDevice device;
    device.inputReportLength = 7;
    device.outputReportLength = 8;
    EXPECT_EQ(device.ReadReportLengths(), TransportStatus::Success);
    EXPECT_EQ(device.inputReportLength, 7u);
    EXPECT_EQ(device.outputReportLength, 8u);
    device.CloseDevice();
    EXPECT_EQ(bus.Calls().closeHandle, 0u);

    ASSERT_EQ(OpenUnitByIndex(device, Vid, Pid1, 0), TransportStatus::Success);
    device.CloseDevice();
    device.CloseDevice();
    EXPECT_EQ(bus.Calls().closeHandle, 1u);
    EXPECT_EQ(device.inputReportLength, 65u);  // lengths outlive a close
}

TEST(Device, ConstructionBindsAndRecordsTheStatus) {
    TEmulatedBus bus;
    bus.SetHidLibraryLoads(false);
    THIDDevice device;
    EXPECT_EQ(LastTransportStatus, TransportStatus::ApiLoadFailed);
    EXPECT_FALSE(IsOpen(device));
    EXPECT_EQ(device.logPath, "C:\\VRXHIDLog.log");
    EXPECT_EQ(device.logDumpFlag, 0u);
}

// Logging off: the same traffic leaves no file behind.
TEST(Device, WithoutLoggingNothingIsWritten) {
    KL_VRXTest::TTempDir dir;
    TEmulatedBus bus;
    bus.SetDriveRoot(dir.Path());
    bus.AttachUnit(1);
    {
        THIDDevice device;
        ASSERT_EQ(OpenUnitByIndex(device, Vid, Pid1, 0), TransportStatus::Success);
        uint8_t message[3] = {0, 36, 3};
        uint32_t length = 3;
        EXPECT_EQ(WriteReport(device, message, length), TransportStatus::Success);
    }
    EXPECT_FALSE(dir.Exists(LogName));
}

// A session as the log shows it: open, one command written and answered,
// close; every line with its thread id and tick.
TEST(Device, LogOfOpenWriteReadCloseLineByLine) {
    KL_VRXTest::TTempDir dir;
    TEmulatedBus bus;
    bus.SetDriveRoot(dir.Path());
    bus.SetReportLatency(1);
    bus.AttachUnit(1).SetReportLengths(4, 4);
    const uint32_t tid = KL_VRXOS::Os().GetCurrentThreadId();
    const std::string path = bus.InterfacePaths()[0];

    uint8_t reply[4] = {};
    {
        THIDDevice device;
        device.SwitchLog(true);
        bus.SetTick(100);
        ASSERT_EQ(OpenUnitByIndex(device, Vid, Pid1, 0), TransportStatus::Success);
        bus.SetTick(200);
        uint8_t message[3] = {0x00, 0x24, 0x03};
        uint32_t length = 3;
        ASSERT_EQ(WriteReport(device, message, length), TransportStatus::Success);
        uint32_t replyLength = sizeof reply;
        ASSERT_EQ(ReadReport(device, reply, replyLength), TransportStatus::Success);
        ASSERT_EQ(reply[1], 0x24);
        // Opening again while open closes first; the failed open leaves the
        // device closed, and the destructor then has nothing to close.
        bus.SetTick(300);
        EXPECT_EQ(device.OpenDevicePath("\\\\?\\hid#gone"), TransportStatus::DeviceNotFound);
        EXPECT_EQ(LastApiError, 2u);
        EXPECT_FALSE(IsOpen(device));
    }
    EXPECT_EQ(bus.Calls().closeHandle, 1u);
    char replyHex[16];
    std::snprintf(replyHex, sizeof replyHex, "%02X %02X %02X %02X ", reply[0], reply[1], reply[2],
                  reply[3]);

    const std::string text = dir.ReadFile(LogName);
    const auto lines = CrLfLines(text);
    ASSERT_EQ(lines.size(), 22u);
    for (size_t i : {0, 1, 2, 4, 5, 6, 7, 9, 16, 17, 18, 20})
        EXPECT_EQ(lines[i], "") << "line " << i + 1;
    EXPECT_TRUE(IsStampLine(lines[3], "Logger Class Created")) << lines[3];
    EXPECT_TRUE(IsStampLine(lines[8], "Dumped at")) << lines[8];
    EXPECT_EQ(lines[10],
              RecordPrefix(tid, 100) + "***Succeeded trying to open device at path: " + path);
    EXPECT_EQ(lines[11], RecordPrefix(tid, 200) + " Attempting to send to device: 00 24 03 ");
    EXPECT_EQ(lines[12], RecordPrefix(tid, 201) + "    Send succeeded. Bytes read by device: 4");
    EXPECT_EQ(lines[13], RecordPrefix(tid, 201) + " Attempting to read from device: ");
    EXPECT_EQ(lines[14], RecordPrefix(tid, 202) +
                             "    Read succeeded. Bytes read by device: 4 Buffer: " + replyHex);
    EXPECT_EQ(lines[15], RecordPrefix(tid, 300) + "***Device Closed.");
    // Every open writes a dump header, whatever the dump flag says.
    EXPECT_TRUE(IsStampLine(lines[19], "Dumped at")) << lines[19];
    EXPECT_EQ(lines[21],
              RecordPrefix(tid, 300) + "***Failed trying to open device at path: \\\\?\\hid#gone");
    // Windows line ends only, the last line included.
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
              std::count(text.begin(), text.end(), '\r'));
}

TEST(Device, SwitchingLogOnTwiceWritesOneHeaderAndOffOnAppends) {
    KL_VRXTest::TTempDir dir;
    TEmulatedBus bus;
    bus.SetDriveRoot(dir.Path());
    THIDDevice device;
    device.SwitchLog(true);
    TLogger* first = device.logger.get();
    device.SwitchLog(true);
    EXPECT_EQ(device.logger.get(), first);
    device.SwitchLog(false);
    EXPECT_EQ(device.logger, nullptr);
    device.SwitchLog(false);
    device.SwitchLog(true);
    device.SwitchLog(false);

    const auto lines = CrLfLines(dir.ReadFile(LogName));
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_TRUE(IsStampLine(lines[3], "Logger Class Created"));
    EXPECT_TRUE(IsStampLine(lines[8], "Logger Class Created"));
}

TEST(Device, AnUnwritableLogDoesNotStopOpenOrClose) {
    KL_VRXTest::TTempDir dir;
    TEmulatedBus bus;
    bus.SetDriveRoot(dir.File("missing"));
    bus.AttachUnit(1);
    THIDDevice device;
    device.SwitchLog(true);
    ASSERT_NE(device.logger, nullptr);
    EXPECT_FALSE(device.logger->FileOpen());
    EXPECT_EQ(OpenUnitByIndex(device, Vid, Pid1, 0), TransportStatus::Success);
    device.CloseDevice();
    EXPECT_FALSE(IsOpen(device));
    EXPECT_EQ(bus.Calls().closeHandle, 1u);
    EXPECT_FALSE(dir.Exists("missing"));
}

}  // namespace
