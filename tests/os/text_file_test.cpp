#include "os/text_file.h"

#include <gtest/gtest.h>

#include "os/drive_path.h"
#include "support/temp_dir.h"

namespace {

using namespace KL_VRXOS;

// The log must be byte-identical on every OS: each "\n" stored as CR LF, a
// reopened file appended to, and a missing directory never created.
TEST(TextFile, StoresCrLfAppendsAndCreatesNoDirectory) {
    KL_VRXTest::TTempDir dir;
    for (const char* text : {"one\ntwo\n", "\nthree"}) {
        TTextFile file(dir.File("a.log"));
        ASSERT_TRUE(file.Good());
        file.Write(text);
    }
    EXPECT_EQ(dir.ReadFile("a.log"), "one\r\ntwo\r\n\r\nthree");
    TTextFile missing(dir.File("missing/a.log"));
    EXPECT_FALSE(missing.Good());
    missing.Write("ignored\n");
    EXPECT_FALSE(dir.Exists("missing"));
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
