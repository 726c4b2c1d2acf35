// The log file in a directory others can write to: whatever was planted at
// its name (a symbolic or hard link, a FIFO, a directory) is refused as a
// file that could not be opened, and what it names stays as it was. A plain
// file is appended to, never truncated, and a new one gets mode 0644 less
// the umask.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "os/text_file.h"
#include "support/temp_dir.h"

namespace {

using KL_VRXOS::TTextFile;
using KL_VRXTest::TTempDir;

constexpr const char* LogName = "VRXHIDLog.log";
constexpr const char* Precious = "precious\n";

void Write(const std::string& path, const char* text) {
    TTextFile file(path);
    ASSERT_TRUE(file.Good());
    file.Write(text);
}

TEST(PlantedLogPath, OnlyAPlainFileOfItsOwnIsWritten) {
    const struct {
        const char* name;
        int (*plant)(const char* target, const char* log);  // 0 when planted
        bool opens;
        const char* logAfter;  // the log's bytes afterwards (null: not checked)
    } rows[] = {
        {"Nothing", [](const char*, const char*) { return 0; }, true, "new\r\n"},
        {"OldLog",
         [](const char*, const char* log) {
             TTextFile(log).Write("old\n");
             return 0;
         },
         true, "old\r\nnew\r\n"},
        {"SymlinkToFile", [](const char* target, const char* log) { return symlink(target, log); },
         false, nullptr},
        {"DanglingSymlink", [](const char*, const char* log) { return symlink("absent", log); },
         false, nullptr},
        {"HardLinkToFile", [](const char* target, const char* log) { return link(target, log); },
         false, nullptr},
        // Without a reader, a FIFO would block a plain open for writing forever.
        {"Fifo", [](const char*, const char* log) { return mkfifo(log, 0666); }, false, nullptr},
        {"Directory", [](const char*, const char* log) { return mkdir(log, 0755); }, false,
         nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TTempDir dir;
        Write(dir.File("target"), Precious);
        ASSERT_EQ(row.plant(dir.File("target").c_str(), dir.File(LogName).c_str()), 0);
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
}

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
