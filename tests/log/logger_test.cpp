// TLogger: header and record format, chunk rotation, dumps, and a file
// that would not open.
#include <gtest/gtest.h>

#include <cstdio>

#include "KL_VRX/emulator.h"
#include "log/logger.h"
#include "os/os.h"
#include "support/log_file.h"
#include "support/temp_dir.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXLog::TLogger;
constexpr auto Ok = KL_VRXLog::LogStatus::Success;
constexpr auto NotOpen = KL_VRXLog::LogStatus::FileNotOpen;
using KL_VRXTest::CreatedHeader;
using KL_VRXTest::DumpedHeader;

namespace {

const char* const LogPath = "C:\\VRXHIDLog.log";

class Logger : public ::testing::Test {
  protected:
    void SetUp() override { bus.SetDriveRoot(dir.Path()); }
    std::string File() const { return dir.ReadFile("VRXHIDLog.log"); }
    std::string Prefix() const {
        return KL_VRXTest::RecordPrefix(KL_VRXOS::Os().GetCurrentThreadId(), bus.Tick());
    }

    KL_VRXTest::TTempDir dir;
    TEmulatedBus bus;
};

// Two loggers on one file: each appends its creation header; a dump with
// empty chunks writes only its header, or nothing; undumped lines are lost.
TEST_F(Logger, HeadersRecordsAndDumps) {
    bus.SetTick(0x80000000);  // 24.8 days up: shown negative
    for (int session = 0; session < 2; ++session) {
        TLogger logger(LogPath);
        ASSERT_TRUE(logger.FileOpen());
        EXPECT_EQ(logger.AddRecord("first"), Ok);
        EXPECT_EQ(logger.Dump(true), Ok);
        EXPECT_EQ(logger.AddRecord(" second"), Ok);
        EXPECT_EQ(logger.Dump(false), Ok);
        EXPECT_EQ(logger.Dump(true), Ok);
        EXPECT_EQ(logger.Dump(false), Ok);
        EXPECT_EQ(logger.AddRecord("never dumped"), Ok);
    }
    const std::string prefix =
        std::to_string(KL_VRXOS::Os().GetCurrentThreadId()) + " : Time: -2147483648  ";
    const std::string session =
        CreatedHeader + DumpedHeader + prefix + "first\n" + prefix + " second\n" + DumpedHeader;
    EXPECT_EQ(KL_VRXTest::LogText(File()), session + session);
}

// Record A brings the current chunk to `fill` characters; record B, longer
// than the limit on its own, then forces a rotation. A survives to the dump
// only when it had not been rotated out already.
TEST_F(Logger, RotatesPastTenThousandCharacters) {
    const std::string prefix = Prefix();
    const std::string b(10001, 'b');
    for (const size_t fill : {10000, 10001}) {
        const std::string a(fill - prefix.size() - 1, 'a');
        std::remove(dir.File("VRXHIDLog.log").c_str());
        {
            TLogger logger(LogPath);
            ASSERT_EQ(logger.AddRecord(a), Ok);
            ASSERT_EQ(logger.AddRecord(b), Ok);
            ASSERT_EQ(logger.AddRecord("tail"), Ok);
            ASSERT_EQ(logger.Dump(false), Ok);
        }
        EXPECT_EQ(KL_VRXTest::LogText(File()), CreatedHeader +
                                                   (fill == 10000 ? prefix + a + "\n" : "") +
                                                   prefix + b + "\n" + prefix + "tail\n")
            << fill;
    }
}

TEST_F(Logger, AFileThatWouldNotOpenRefusesEverything) {
    bus.SetDriveRoot(dir.File("missing"));
    {
        TLogger logger(LogPath);
        EXPECT_FALSE(logger.FileOpen());
        EXPECT_EQ(logger.AddRecord("x"), NotOpen);
        EXPECT_EQ(logger.Dump(true), NotOpen);
        EXPECT_EQ(logger.Dump(false), NotOpen);
    }
    EXPECT_FALSE(dir.Exists("missing"));
    EXPECT_FALSE(dir.Exists("VRXHIDLog.log"));
}

}  // namespace
