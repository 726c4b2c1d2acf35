// The log file in a directory others can write to: whatever was planted at
// its name (a symbolic or hard link, a FIFO, a directory) is refused as a
// file that could not be opened, and what it names stays as it was. A plain
// file is appended to, never truncated, and a new one gets mode 0644 less
// the umask.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>

#include "os/text_file.h"
#include "support/temp_dir.h"

namespace {

using KL_VRXOS::TTextFile;
using KL_VRXTest::TTempDir;

constexpr const char* LogName = "VRXHIDLog.log";
constexpr const char* Precious = "precious\n";

struct TPlant {
    const char* name;
    std::function<void(const TTempDir&)> plant;
    bool opens;
    const char* logAfter;  // the log's bytes afterwards (null: not checked)
};

void PrintTo(const TPlant& plant, std::ostream* out) {
    *out << plant.name;
}

void Write(const std::string& path, const char* text) {
    TTextFile file(path);
    ASSERT_TRUE(file.Good());
    file.Write(text);
}

class PlantedLogPath : public ::testing::TestWithParam<TPlant> {};

TEST_P(PlantedLogPath, OnlyAPlainFileOfItsOwnIsWritten) {
    const TPlant& row = GetParam();
    TTempDir dir;
    Write(dir.File("target"), Precious);
    row.plant(dir);
    {
        TTextFile file(dir.File(LogName));
        EXPECT_EQ(file.Good(), row.opens);
        file.Write("new\n");
    }
    EXPECT_EQ(dir.ReadFile("target"), "precious\r\n");
    EXPECT_FALSE(dir.Exists("absent"));
    if (row.logAfter != nullptr) {
        EXPECT_EQ(dir.ReadFile(LogName), row.logAfter);
    }
}

const TPlant Plants[] = {
    {"Nothing", [](const TTempDir&) {}, true, "new\r\n"},
    {"OldLog", [](const TTempDir& d) { Write(d.File(LogName), "old\n"); }, true, "old\r\nnew\r\n"},
    {"SymlinkToFile",
     [](const TTempDir& d) {
         ASSERT_EQ(symlink(d.File("target").c_str(), d.File(LogName).c_str()), 0);
     },
     false, nullptr},
    {"DanglingSymlink",
     [](const TTempDir& d) {
         ASSERT_EQ(symlink(d.File("absent").c_str(), d.File(LogName).c_str()), 0);
     },
     false, nullptr},
    {"HardLinkToFile",
     [](const TTempDir& d) {
         ASSERT_EQ(link(d.File("target").c_str(), d.File(LogName).c_str()), 0);
     },
     false, nullptr},
    // Without a reader, a FIFO would block a plain open for writing forever.
    {"Fifo", [](const TTempDir& d) { ASSERT_EQ(mkfifo(d.File(LogName).c_str(), 0666), 0); }, false,
     nullptr},
    {"Directory", [](const TTempDir& d) { ASSERT_EQ(mkdir(d.File(LogName).c_str(), 0755), 0); },
     false, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Plants, PlantedLogPath, ::testing::ValuesIn(Plants),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LogFileMode, Is0644LessTheUmask) {
    const struct {
        mode_t umask, mode;
    } rows[] = {{022, 0644}, {077, 0600}, {0, 0644}, {026, 0640}};
    for (const auto& row : rows) {
        TTempDir dir;
        const mode_t saved = umask(row.umask);
        Write(dir.File(LogName), "x\n");
        umask(saved);
        struct stat status {};
        ASSERT_EQ(stat(dir.File(LogName).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, row.mode) << std::oct << row.umask;
    }
}

}  // namespace
