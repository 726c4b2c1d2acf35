#include <gtest/gtest.h>

#include <string>

#include "os/drive_path.h"

namespace {

using namespace KL_VRXOS;

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
