// Report output and input: padding, the read copy, every status, and the
// log records of transfers.
#include <gtest/gtest.h>

#include <algorithm>

#include "KL_VRX/emulator.h"
#include "hid/hid_api.h"
#include "hid/report_io.h"
#include "log/logger.h"
#include "os/os.h"
#include "support/log_file.h"
#include "support/temp_dir.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXEmu::TEmulatedUnit;
using KL_VRXTest::CrLfLines;
using KL_VRXTest::RecordPrefix;

namespace {

constexpr uint16_t Vid = 0x3C5A;
constexpr uint16_t Pid1 = 0x0E32;
using TBytes = std::vector<uint8_t>;

// One unit with 6-byte input and 5-byte output reports, opened on a device,
// the log file going to a fresh directory.
class ReportIo : public ::testing::Test {
  protected:
    void SetUp() override {
        bus.SetDriveRoot(dir.Path());
        unit.SetReportLengths(6, 5);
        ASSERT_EQ(OpenUnitByIndex(device, Vid, Pid1, 0), TransportStatus::Success);
    }

    // The record lines of the log file, headers and blank lines left out,
    // with the logger's prefix removed.
    std::vector<std::string> Records() {
        device.SwitchLog(false);  // the file is complete once the logger is gone
        const std::string prefix = RecordPrefix(KL_VRXOS::Os().GetCurrentThreadId(), bus.Tick());
        std::vector<std::string> records;
        for (const std::string& line : CrLfLines(dir.ReadFile("VRXHIDLog.log")))
            if (line.compare(0, prefix.size(), prefix) == 0)
                records.push_back(line.substr(prefix.size()));
            else if (!line.empty() && line[0] != ' ')
                records.push_back("unexpected: " + line);
        return records;
    }

    KL_VRXTest::TTempDir dir;
    TEmulatedBus bus;
    TEmulatedUnit& unit = bus.AttachUnit(1);
    THIDDevice device;
};

TEST_F(ReportIo, AShortWriteIsPaddedToTheOutputLength) {
    const uint8_t message[2] = {0, 36};
    uint32_t length = 2;
    EXPECT_EQ(SendReport(device, message, length), TransportStatus::Success);
    EXPECT_EQ(length, 5u);
    uint32_t none = 0;
    EXPECT_EQ(SendReport(device, nullptr, none), TransportStatus::Success);
    EXPECT_EQ(none, 5u);
    EXPECT_EQ(unit.Received(), (std::vector<TBytes>{{0, 36, 0, 0, 0}, {0, 0, 0, 0, 0}}));
}

TEST_F(ReportIo, AReadCopiesTheReportAndZeroesTheRest) {
    const uint8_t message[2] = {0, 19};  // a register read: the unit replies
    uint32_t length = 2;
    ASSERT_EQ(WriteReport(device, message, length), TransportStatus::Success);
    uint8_t buffer[10];
    std::fill(std::begin(buffer), std::end(buffer), 0xAA);
    length = sizeof buffer;
    EXPECT_EQ(ReadReport(device, buffer, length), TransportStatus::Success);
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(TBytes(buffer, buffer + 10), (TBytes{0, 19, 1, 0, 0, 0, 0, 0, 0, 0}));

    // Nothing queued: success with 0 bytes, the caller's buffer cleared.
    std::fill(std::begin(buffer), std::end(buffer), 0xAA);
    length = 6;
    EXPECT_EQ(ReceiveReport(device, buffer, length), TransportStatus::Success);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(TBytes(buffer, buffer + 7), (TBytes{0, 0, 0, 0, 0, 0, 0xAA}));
}

// Each case: what goes wrong, which transfer, the status, and whether the
// link saw a call.
struct TStatusCase {
    const char* name;
    void (*arrange)(TEmulatedBus&, TEmulatedUnit&, THIDDevice&);
    bool guarded;
    bool write;
    uint32_t length;
    TransportStatus status;
    bool reachesLink;
};

const TStatusCase statusCases[] = {
    {"unbound",
     [](TEmulatedBus& b, TEmulatedUnit&, THIDDevice&) {
         UnloadHidApi();
         b.SetHidLibraryLoads(false);
     },
     true, true, 3, TransportStatus::ApiLoadFailed, false},
    {"not open", [](TEmulatedBus&, TEmulatedUnit&, THIDDevice& d) { d.CloseDevice(); }, true, false,
     6, TransportStatus::DeviceNotOpen, false},
    {"write too long", [](TEmulatedBus&, TEmulatedUnit&, THIDDevice&) {}, true, true, 6,
     TransportStatus::InvalidBufferLength, false},
    {"read not the input length", [](TEmulatedBus&, TEmulatedUnit&, THIDDevice&) {}, true, false, 5,
     TransportStatus::InvalidBufferLength, false},
    {"write too long, direct", [](TEmulatedBus&, TEmulatedUnit&, THIDDevice&) {}, false, true, 6,
     TransportStatus::SendFailed, false},
    {"write fails", [](TEmulatedBus&, TEmulatedUnit& u, THIDDevice&) { u.FailWrites(1167); }, true,
     true, 3, TransportStatus::SendFailed, true},
    {"read fails", [](TEmulatedBus&, TEmulatedUnit& u, THIDDevice&) { u.FailReads(1167); }, true,
     false, 6, TransportStatus::ReadFailed, true},
    {"write, log file not open",
     [](TEmulatedBus& b, TEmulatedUnit&, THIDDevice& d) {
         b.SetDriveRoot("/nonexistent/kl_vrx");
         d.SwitchLog(true);
     },
     true, true, 3, TransportStatus::LogFileFailed, false},
    {"read, log file not open",
     [](TEmulatedBus& b, TEmulatedUnit&, THIDDevice& d) {
         b.SetDriveRoot("/nonexistent/kl_vrx");
         d.SwitchLog(true);
     },
     false, false, 6, TransportStatus::LogFileFailed, false},
};

TEST(ReportIoStatus, EveryFailureHasItsStatus) {
    for (const auto& c : statusCases) {
        SCOPED_TRACE(c.name);
        TEmulatedBus bus;
        TEmulatedUnit& unit = bus.AttachUnit(1);
        unit.SetReportLengths(6, 5);
        THIDDevice device;
        ASSERT_EQ(OpenUnitByIndex(device, Vid, Pid1, 0), TransportStatus::Success);
        c.arrange(bus, unit, device);
        LastApiError = 77;
        LastTransportStatus = TransportStatus::Success;
        const auto before = bus.Calls();

        uint8_t bytes[8] = {0, 18, 0, 0, 0, 0, 0, 0};
        uint32_t length = c.length;
        TransportStatus status;
        if (c.write)
            status =
                c.guarded ? SendReport(device, bytes, length) : WriteReport(device, bytes, length);
        else
            status = c.guarded ? ReceiveReport(device, bytes, length)
                               : ReadReport(device, bytes, length);

        EXPECT_EQ(status, c.status);
        // The guarded forms store the status; the direct ones do not.
        EXPECT_EQ(LastTransportStatus, c.guarded ? c.status : TransportStatus::Success);
        const auto after = bus.Calls();
        const unsigned linkCalls =
            after.writeFile + after.readFile - before.writeFile - before.readFile;
        EXPECT_EQ(linkCalls, c.reachesLink ? 1u : 0u);
        if (c.reachesLink) {
            EXPECT_EQ(LastApiError, 1167u);
            EXPECT_EQ(length, 0u);
        } else {
            if (c.status != TransportStatus::ApiLoadFailed) {
                EXPECT_EQ(LastApiError, 77u);
            }
            EXPECT_EQ(length, c.length);
        }
        EXPECT_TRUE(unit.Received().empty());
    }
}

TEST_F(ReportIo, RecordsOfEveryOutcome) {
    device.SwitchLog(true);
    const uint8_t message[3] = {'A', 'B', 0};
    uint32_t length = 3;
    ASSERT_EQ(WriteReport(device, message, length), TransportStatus::Success);
    length = 0;
    ASSERT_EQ(WriteReport(device, message, length), TransportStatus::Success);

    // Raw text: the report's characters up to its first zero byte, at most
    // the count written; a report ID of 0 gives none.
    const uint8_t text[5] = {'A', 'B', 'C', 0, 'D'};
    unit.FailWrites(0x80070057, 5);
    length = 5;
    EXPECT_EQ(WriteReport(device, text, length), TransportStatus::SendFailed);
    EXPECT_EQ(length, 5u);
    unit.FailWrites(31, 2);
    length = 3;
    EXPECT_EQ(WriteReport(device, text, length), TransportStatus::SendFailed);
    unit.FailWrites(31, 0);
    length = 1;
    EXPECT_EQ(WriteReport(device, text, length), TransportStatus::SendFailed);
    unit.FailWrites(0, 0);

    uint8_t buffer[6];
    uint32_t size = 6;
    unit.FailReads(1167);
    EXPECT_EQ(ReadReport(device, buffer, size), TransportStatus::ReadFailed);
    unit.FailReads(0);
    size = 6;
    unit.QueueEmptyReads(1);
    EXPECT_EQ(ReadReport(device, buffer, size), TransportStatus::Success);  // no record
    const uint8_t tooLong[6] = {'A', 'B', 'C', 0, 'D', 'E'};
    length = 6;
    EXPECT_EQ(WriteReport(device, tooLong, length), TransportStatus::SendFailed);  // direct

    EXPECT_EQ(Records(), (std::vector<std::string>{
                             " Attempting to send to device: 41 42 00 ",
                             "    Send succeeded. Bytes read by device: 5",
                             " Attempting to send to device: Empty Buffer",
                             "    Send succeeded. Bytes read by device: 5",
                             " Attempting to send to device: 41 42 43 00 44 ",
                             "    Send failed. WinAPI Err: -2147024809    5    bytes written: ABC",
                             " Attempting to send to device: 41 42 43 ",
                             "    Send failed. WinAPI Err: 31    2    bytes written: AB",
                             " Attempting to send to device: 41 ",
                             "    Send failed. WinAPI Err: 31    No bytes written.",
                             " Attempting to read from device: ",
                             "    Read failed. WinAPI Err: 1167    No bytes read.",
                             " Attempting to read from device: ",
                             " Attempting to send to device: 41 42 43 00 44 45 ",
                         }));
}

// With the dump flag set, successful traffic stays in memory: switching the
// log off drops it, and a failure writes it out behind a dump header.
TEST_F(ReportIo, DumpFlagHoldsRecordsUntilAFailure) {
    device.SwitchLog(true);
    device.logDumpFlag = 1;
    const uint8_t message[2] = {0, 19};
    uint32_t length = 2;
    ASSERT_EQ(WriteReport(device, message, length), TransportStatus::Success);
    device.SwitchLog(false);
    EXPECT_EQ(CrLfLines(dir.ReadFile("VRXHIDLog.log")).size(), 5u);  // the creation header only

    device.SwitchLog(true);
    length = 2;
    ASSERT_EQ(WriteReport(device, message, length), TransportStatus::Success);
    unit.FailReads(1167);
    uint8_t buffer[6];
    uint32_t size = 6;
    ASSERT_EQ(ReadReport(device, buffer, size), TransportStatus::ReadFailed);
    EXPECT_EQ(Records(), (std::vector<std::string>{
                             " Attempting to send to device: 00 13 ",
                             "    Send succeeded. Bytes read by device: 5",
                             " Attempting to read from device: ",
                             "    Read failed. WinAPI Err: 1167    No bytes read.",
                         }));
}

}  // namespace
