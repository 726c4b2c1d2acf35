#include "os/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "os/drive_path.h"
#include "support/temp_dir.h"

namespace {

using namespace KL_VRXOS;

// Two units log to one file from two threads, each through a file of its
// own, each line flushed on its own: every line of both reaches the file
// whole.
TEST(TextFile, TwoFilesOnOnePathFromTwoThreadsKeepEveryLine) {
    KL_VRXTest::TTempDir dir;
    constexpr size_t lines = 2000;
    const std::string path = dir.File("a.log");
    auto write = [&path](char mark) {
        TTextFile file(path);
        for (size_t i = 0; i < lines; ++i) {
            file.Write(std::string(40, mark) + "\n");
            file.Flush();
        }
    };
    std::thread one(write, 'a');
    std::thread two(write, 'b');
    one.join();
    two.join();
    const std::string text = dir.ReadFile("a.log");
    ASSERT_EQ(text.size(), 2 * lines * 42);
    for (size_t at = 0; at < text.size(); at += 42)
        ASSERT_EQ(text.substr(at + 1, 41), std::string(39, text[at]) + "\r\n") << at;
}

TEST(DrivePath, TheCDriveIsTheRootDirectory) {
    const struct {
        const char *path, *root, *native;
    } rows[] = {
        {"C:\\VRXHIDLog.log", "/r", "/r/VRXHIDLog.log"},
        {"c:\\dir\\a.log", "/r/", "/r/dir/a.log"},
        {"C:a.log", ".", "./a.log"},
        {"C:\\a.log", "", "./a.log"},
        {"C:\\a.log", "/", "/a.log"},
        {"D:\\a.log", "/r", ""},
        {"dir\\a.log", "/r", "dir/a.log"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(NativePathOnDrive(row.path, row.root), row.native) << row.path;
}

}  // namespace
