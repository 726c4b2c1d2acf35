// TLogger: header and record format, chunk rotation, dumps, a file that
// would not open, and records from several threads.
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "KL_VRX/emulator.h"
#include "log/logger.h"
#include "os/os.h"
#include "support/log_file.h"
#include "support/temp_dir.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXTest::CrLfLines;
using KL_VRXTest::IsStampLine;
using KL_VRXTest::RecordPrefix;

namespace {

const char* const LogPath = "C:\\VRXHIDLog.log";

class Logger : public ::testing::Test {
  protected:
    void SetUp() override { bus.SetDriveRoot(dir.Path()); }
    std::string File() const { return dir.ReadFile("VRXHIDLog.log"); }
    std::string Prefix() const {
        return RecordPrefix(KL_VRXOS::Os().GetCurrentThreadId(), bus.Tick());
    }

    KL_VRXTest::TTempDir dir;
    TEmulatedBus bus;
};

TEST_F(Logger, CreationHeaderRecordsAndDumpHeader) {
    bus.SetTick(0x80000000);  // 24.8 days up: shown negative
    {
        TLogger logger(LogPath);
        ASSERT_TRUE(logger.FileOpen());
        EXPECT_EQ(logger.AddRecord("first"), 0u);
        EXPECT_EQ(logger.Dump(true), 0u);
        EXPECT_EQ(logger.AddRecord(" second"), 0u);
        EXPECT_EQ(logger.Dump(false), 0u);
        EXPECT_EQ(logger.AddRecord("never dumped"), 0u);
    }
    const auto lines = CrLfLines(File());
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0] + lines[1] + lines[2] + lines[4], "");
    EXPECT_TRUE(IsStampLine(lines[3], "Logger Class Created")) << lines[3];
    EXPECT_EQ(lines[5] + lines[6] + lines[7] + lines[9], "");
    EXPECT_TRUE(IsStampLine(lines[8], "Dumped at")) << lines[8];
    const std::string prefix =
        std::to_string(KL_VRXOS::Os().GetCurrentThreadId()) + " : Time: -2147483648  ";
    EXPECT_EQ(lines[10], prefix + "first");
    EXPECT_EQ(lines[11], prefix + " second");
}

// A dump writes the chunks only; with both empty, only its header. A second
// logger on the same file appends its own creation header.
TEST_F(Logger, DumpsWithEmptyChunks) {
    for (int session = 0; session < 2; ++session) {
        TLogger logger(LogPath);
        EXPECT_EQ(logger.Dump(false), 0u);
        if (session == 0) {
            EXPECT_EQ(logger.Dump(true), 0u);
        }
        EXPECT_EQ(logger.Dump(false), 0u);
    }
    const auto lines = CrLfLines(File());
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_TRUE(IsStampLine(lines[3], "Logger Class Created"));
    EXPECT_TRUE(IsStampLine(lines[8], "Dumped at"));
    EXPECT_TRUE(IsStampLine(lines[13], "Logger Class Created"));
}

// Record A brings the current chunk to `fill` characters; record B, longer
// than the limit on its own, then forces a rotation. A survives to the dump
// only when it had not been rotated out already.
TEST_F(Logger, RotationHappensPastTenThousandCharacters) {
    struct {
        size_t fill;
        bool aSurvives;
    } const cases[] = {{10000, true}, {10001, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fill);
        const size_t before = File().size();
        {
            TLogger logger(LogPath);
            const std::string prefix = Prefix();
            const std::string a = std::string(c.fill - prefix.size() - 1, 'a');
            ASSERT_EQ(logger.AddRecord(a), 0u);
            ASSERT_EQ(logger.AddRecord(std::string(10001, 'b')), 0u);
            ASSERT_EQ(logger.AddRecord("tail"), 0u);
            ASSERT_EQ(logger.Dump(false), 0u);
        }
        const auto lines = CrLfLines(File().substr(before));
        std::vector<std::string> records(lines.begin() + 5, lines.end());
        std::vector<std::string> expected;
        const std::string prefix = Prefix();
        if (c.aSurvives)
            expected.push_back(prefix + std::string(c.fill - prefix.size() - 1, 'a'));
        expected.push_back(prefix + std::string(10001, 'b'));
        expected.push_back(prefix + "tail");
        EXPECT_EQ(records, expected);
    }
}

// Rare dumps keep only the latest rotated chunk and what came after it.
TEST_F(Logger, ALongRunKeepsOnlyTheLatestChunk) {
    {
        TLogger logger(LogPath);
        for (int i = 0; i < 5000; ++i)
            logger.AddRecord("record " + std::to_string(i));
        logger.Dump(true);
    }
    const std::string text = File();
    EXPECT_LT(text.size(), 2u * 10000u + 2u * 5000u / 10u + 200u);
    EXPECT_EQ(text.find("record 0\r\n"), std::string::npos);
    EXPECT_NE(text.find("record 4999\r\n"), std::string::npos);
}

TEST_F(Logger, AFileThatWouldNotOpenRefusesEverything) {
    bus.SetDriveRoot(dir.File("missing"));
    {
        TLogger logger(LogPath);
        EXPECT_FALSE(logger.FileOpen());
        EXPECT_EQ(logger.AddRecord("x"), 1u);
        EXPECT_EQ(logger.Dump(true), 1u);
        EXPECT_EQ(logger.Dump(false), 1u);
    }
    EXPECT_FALSE(dir.Exists("missing"));
    EXPECT_FALSE(dir.Exists("VRXHIDLog.log"));
}

// Records and dumps from several threads never share, split or lose a line
// (fewer than 10000 characters in all, so no chunk rotates).
TEST_F(Logger, ConcurrentRecordsAndDumpsKeepLinesWhole) {
    {
        TLogger logger(LogPath);
        auto add = [&logger](char tag) {
            for (int i = 0; i < 60; ++i)
                logger.AddRecord(std::string(40, tag));
        };
        std::thread a(add, 'a');
        std::thread b(add, 'b');
        for (int i = 0; i < 100; ++i)
            logger.Dump(false);
        a.join();
        b.join();
        logger.Dump(false);
    }
    const std::regex record(R"(-?\d+ : Time: -?\d+  (a{40}|b{40}))");
    const auto lines = CrLfLines(File());
    size_t records = 0;
    for (size_t i = 5; i < lines.size(); ++i, ++records)
        ASSERT_TRUE(std::regex_match(lines[i], record)) << lines[i];
    EXPECT_EQ(records, 120u);
}

}  // namespace
