// Report output and input: padding, the read copy, every status, and the
// log records of transfers.
#include <gtest/gtest.h>

#include <algorithm>

#include "KL_VRX/emulator.h"
#include "hid/hid_binding.h"
#include "hid/hid_device.h"
#include "os/os.h"
#include "support/log_file.h"
#include "support/temp_dir.h"
#include "support/transport_text.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXEmu::TEmulatedUnit;
using KL_VRXTest::CreatedHeader;
using KL_VRXTest::DumpedHeader;
using KL_VRXTest::TransportText;
using TBytes = std::vector<uint8_t>;
using namespace KL_VRXHid;

namespace {

constexpr auto Ok = TransportStatus::Success;

// One unit with 6-byte input and 5-byte output reports, opened on a device,
// the log file going to a fresh directory.
class ReportIo : public ::testing::Test {
  protected:
    void SetUp() override {
        bus.SetDriveRoot(dir.Path());
        unit.SetReportLengths(6, 5);
        ASSERT_EQ(device.OpenUnitByIndex(KL_VRXTest::Vid, KL_VRXTest::Pid1, 0), Ok);
    }

    // Direct or guarded transfers; `moved` holds the count afterwards.
    TransportStatus Write(TBytes bytes, bool guarded = false) {
        moved = static_cast<uint32_t>(bytes.size());
        return (device.*(guarded ? &THIDDevice::SendReport : &THIDDevice::WriteReport))(
            bytes.data(), moved);
    }
    TransportStatus Read(uint32_t size, bool guarded = false) {
        std::fill(std::begin(buffer), std::end(buffer), 0xAA);
        moved = size;
        return (device.*(guarded ? &THIDDevice::ReceiveReport : &THIDDevice::ReadReport))(buffer,
                                                                                          moved);
    }

    // The log file as LogText shows it, the records' prefix left out (the
    // clock stands still).
    std::string Log() {
        device.SwitchLog(false);  // the file is complete once the logger is gone
        std::string text = KL_VRXTest::LogText(dir.ReadFile("VRXHIDLog.log"));
        const std::string prefix =
            KL_VRXTest::RecordPrefix(KL_VRXOS::Os().GetCurrentThreadId(), bus.Tick());
        for (size_t at; (at = text.find(prefix)) != std::string::npos;)
            text.erase(at, prefix.size());
        return text;
    }

    KL_VRXTest::TTempDir dir;
    TEmulatedBus bus;
    TEmulatedUnit& unit = bus.AttachUnit(1);
    THIDDevice device;
    uint8_t buffer[10];
    uint32_t moved = 0;
};

TEST_F(ReportIo, AReadCopiesTheReportAndZeroesTheRest) {
    ASSERT_EQ(Write({0, 19}), Ok);  // a register read: the unit replies
    EXPECT_EQ(Read(10), Ok);
    EXPECT_EQ(moved, 6u);
    EXPECT_EQ(TBytes(buffer, buffer + 10), (TBytes{0, 19, 1, 0, 0, 0, 0, 0, 0, 0}));
    // Nothing queued: success with 0 bytes, the caller's buffer cleared.
    EXPECT_EQ(Read(6, true), Ok);
    EXPECT_EQ(moved, 0u);
    EXPECT_EQ(TBytes(buffer, buffer + 7), (TBytes{0, 0, 0, 0, 0, 0, 0xAA}));
    EXPECT_FALSE(dir.Exists("VRXHIDLog.log"));  // logging is off
}

// The guarded forms store every status; a direct write that is too long
// fails without a system call, storing nothing.
TEST_F(ReportIo, EveryFailureHasItsStatus) {
    unit.FailReads(1167);
    EXPECT_EQ(Read(6, true), TransportStatus::ReadFailed);
    unit.FailReads(0);
    EXPECT_EQ(Write(TBytes(6), true), TransportStatus::InvalidBufferLength);
    EXPECT_EQ(Read(5, true), TransportStatus::InvalidBufferLength);
    EXPECT_EQ(TransportText(), "Invalid device buffer length.");
    EXPECT_EQ(moved, 5u);
    EXPECT_EQ(Write(TBytes(6)), TransportStatus::SendFailed);
    EXPECT_EQ(TransportText(), "Invalid device buffer length.");
    EXPECT_EQ(TransportState().lastApiError.Load(), 1167u);
    EXPECT_EQ(moved, 6u);
    device.CloseDevice();
    EXPECT_EQ(Write({0, 18}, true), TransportStatus::DeviceNotOpen);
    EXPECT_EQ(Read(6, true), TransportStatus::DeviceNotOpen);
    EXPECT_EQ(TransportText(), "Trying to send command to an unopened device.");
    EXPECT_EQ(bus.Calls().writeFile, 0u);
    EXPECT_EQ(bus.Calls().readFile, 1u);  // the failed read's only
}

// Short and empty writes go out padded to the output length; failures show
// the error, the count and the raw text (up to the first zero byte, at most
// the count written); a failed open closes the unit first.
TEST_F(ReportIo, RecordsOfEveryOutcome) {
    device.SwitchLog(true);
    ASSERT_EQ(Write({'A', 'B', 0}), Ok);
    EXPECT_EQ(moved, 5u);
    ASSERT_EQ(Write({}, true), Ok);
    EXPECT_EQ(unit.Received(), (std::vector<TBytes>{{'A', 'B', 0, 0, 0}, {0, 0, 0, 0, 0}}));

    unit.FailWrites(0x80070057, 5);
    EXPECT_EQ(Write({'A', 'B', 'C', 0, 'D'}), TransportStatus::SendFailed);
    EXPECT_EQ(moved, 5u);
    unit.FailWrites(31, 2);
    EXPECT_EQ(Write({'A', 'B', 'C'}), TransportStatus::SendFailed);
    unit.FailWrites(31, 0);
    EXPECT_EQ(Write({'A'}), TransportStatus::SendFailed);
    unit.FailWrites(0, 0);
    unit.FailReads(1167);
    EXPECT_EQ(Read(6), TransportStatus::ReadFailed);
    EXPECT_EQ(TransportState().lastApiError.Load(), 1167u);
    unit.FailReads(0);
    unit.QueueEmptyReads(1);
    EXPECT_EQ(Read(6), Ok);                                                       // no record
    EXPECT_EQ(Write({'A', 'B', 'C', 0, 'D', 'E'}), TransportStatus::SendFailed);  // too long
    EXPECT_EQ(device.OpenDevicePath("\\\\?\\hid#gone"), TransportStatus::DeviceNotFound);
    EXPECT_EQ(TransportState().lastApiError.Load(), 2u);

    EXPECT_EQ(Log(), CreatedHeader +
                         " Attempting to send to device: 41 42 00 \n"
                         "    Send succeeded. Bytes read by device: 5\n"
                         " Attempting to send to device: Empty Buffer\n"
                         "    Send succeeded. Bytes read by device: 5\n"
                         " Attempting to send to device: 41 42 43 00 44 \n"
                         "    Send failed. WinAPI Err: -2147024809    5    bytes written: ABC\n"
                         " Attempting to send to device: 41 42 43 \n"
                         "    Send failed. WinAPI Err: 31    2    bytes written: AB\n"
                         " Attempting to send to device: 41 \n"
                         "    Send failed. WinAPI Err: 31    No bytes written.\n"
                         " Attempting to read from device: \n"
                         "    Read failed. WinAPI Err: 1167    No bytes read.\n"
                         " Attempting to read from device: \n"
                         " Attempting to send to device: 41 42 43 00 44 45 \n"
                         "***Device Closed.\n" +
                         DumpedHeader +
                         "***Failed trying to open device at path: \\\\?\\hid#gone\n");
}

// With the dump flag set, successful traffic stays in memory: switching the
// log off drops it, and a failure writes it out behind a dump header.
TEST_F(ReportIo, DumpFlagHoldsRecordsUntilAFailure) {
    device.SwitchLog(true);
    device.SetLogDumpFlag(1);
    ASSERT_EQ(Write({0, 19}), Ok);
    device.SwitchLog(false);
    device.SwitchLog(true);
    ASSERT_EQ(Write({0, 19}), Ok);
    unit.FailReads(1167);
    ASSERT_EQ(Read(6), TransportStatus::ReadFailed);
    EXPECT_EQ(Log(), CreatedHeader + CreatedHeader + DumpedHeader +
                         " Attempting to send to device: 00 13 \n"
                         "    Send succeeded. Bytes read by device: 5\n"
                         " Attempting to read from device: \n"
                         "    Read failed. WinAPI Err: 1167    No bytes read.\n");
}

}  // namespace
