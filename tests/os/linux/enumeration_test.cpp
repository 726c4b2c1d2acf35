// Enumeration and opening on a fake sysfs and /dev tree, through the
// Windows-shaped calls the library makes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "os/linux/errno_map.h"
#include "os/linux/linux_os.h"
#include "os/os_checks.h"
#include "support/temp_dir.h"

namespace {

using namespace KL_VRXOS;

// One vendor collection: 64-byte input and output reports, no report IDs.
const char VendorDescriptor[] = "\x06\x00\xFF\x09\x01\xA1\x01\x75\x08\x95\x40\x81\x02\x91\x02\xC0";

class FakeTree : public ::testing::Test {
  protected:
    void Put(const std::string& path, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(dir.File(path)).parent_path());
        std::ofstream(dir.File(path), std::ios::binary) << bytes;
    }
    void AddNode(unsigned n, const std::string& uevent, bool withDescriptor = true) {
        const std::string device = "sys/class/hidraw/hidraw" + std::to_string(n) + "/device/";
        Put(device + "uevent", uevent);
        if (withDescriptor)
            Put(device + "report_descriptor",
                std::string(VendorDescriptor, sizeof VendorDescriptor - 1));
        Put("dev/hidraw" + std::to_string(n), "");
    }
    HANDLE Open(const char* path) {
        return os.CreateFileA(path, GenericRead | GenericWrite, 3, nullptr, OpenExisting, 0,
                              nullptr);
    }

    KL_VRXTest::TTempDir dir;
    TLinuxOs os{dir.Path() + "/sys", dir.Path() + "/dev"};
};

TEST_F(FakeTree, ListsNodesInNumericOrderAndSkipsBadUevents) {
    uint32_t end = 0;
    EXPECT_TRUE(KL_VRXTest::WalkHidInterfaces(os, &end).empty());  // no class directory
    EXPECT_EQ(end, ErrorNoMoreItems);
    AddNode(10, "DRIVER=hid-generic\nHID_ID=0003:00003C5A:00000E32\nHID_NAME=Unit\n");
    AddNode(2, "HID_ID=0003:00003C5A:00000E58\n");
    AddNode(3, "HID_ID=0003:garbage:00000E58\n");
    AddNode(4, "DRIVER=hid-generic\n");
    AddNode(5, "HID_ID=0003:00013C5A:00000E58\n");  // vendor beyond 16 bits
    AddNode(7, "HID_ID=0005:0000046D:0000B010\n", false);
    Put("sys/class/hidraw/notanode/device/uevent", "HID_ID=0003:00003C5A:00000E32\n");
    EXPECT_EQ(KL_VRXTest::WalkHidInterfaces(os),
              (std::vector<std::string>{"\\\\?\\hid#vid_3c5a&pid_0e58#hidraw2",
                                        "\\\\?\\hid#vid_046d&pid_b010#hidraw7",
                                        "\\\\?\\hid#vid_3c5a&pid_0e32#hidraw10"}));
}

// An opened node gives its caps through hid.dll's entry points; without a
// readable report descriptor the open still works but the caps fail. A
// path that is not one of ours, or a node that cannot be opened, fails as
// on Windows.
TEST_F(FakeTree, OpensGiveCapsFromTheDescriptorOrWindowsCodes) {
    AddNode(1, "HID_ID=0003:00003C5A:00000E32\n");
    AddNode(2, "HID_ID=0003:00003C5A:00000E31\n", false);
    HMODULE hid = os.LoadLibraryA("hid.dll");
    auto getPreparsed = reinterpret_cast<PFN_HidD_GetPreparsedData>(
        os.GetProcAddress(hid, "HidD_GetPreparsedData"));
    auto getCaps = reinterpret_cast<PFN_HidP_GetCaps>(os.GetProcAddress(hid, "HidP_GetCaps"));
    HANDLE unit = Open("\\\\?\\HID#VID_3C5A&PID_0E32#HIDRAW1");
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    ASSERT_TRUE(getPreparsed(unit, &preparsed));
    HIDP_CAPS caps{};
    EXPECT_EQ(getCaps(preparsed, &caps), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(caps.InputReportByteLength, 65);
    EXPECT_EQ(caps.OutputReportByteLength, 65);
    HANDLE bare = Open("\\\\?\\hid#vid_3c5a&pid_0e31#hidraw2");
    EXPECT_FALSE(getPreparsed(bare, &preparsed));
    EXPECT_EQ(os.GetLastError(), ErrorGenFailure);
    for (HANDLE h : {unit, bare})
        EXPECT_TRUE(os.CloseHandle(h));
    EXPECT_FALSE(getPreparsed(unit, &preparsed));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
    os.FreeLibrary(hid);

    std::filesystem::permissions(dir.File("dev/hidraw1"), std::filesystem::perms::none);
    const bool root = ::geteuid() == 0;  // root opens a file without permissions
    const struct {
        const char* path;
        uint32_t error;
    } cases[] = {
        {"\\\\?\\hid#vid_3c5a&pid_0e32#hidraw9", ErrorFileNotFound},
        {"\\\\?\\usb#vid_3c5a&pid_0e32#hidraw1", ErrorFileNotFound},
        {"\\\\?\\hid#hidraw1", ErrorFileNotFound},
        {"\\\\?\\hid#vid_3c5a&pid_0e32#hidraw1x", ErrorFileNotFound},
        {"/dev/hidraw1", ErrorFileNotFound},
        {nullptr, ErrorPathNotFound},
        {"\\\\?\\hid#vid_3c5a&pid_0e32#hidraw1", root ? 0u : ErrorAccessDenied},
    };
    for (const auto& c : cases) {
        HANDLE h = Open(c.path);
        EXPECT_EQ(h == InvalidHandleValue ? os.GetLastError() : 0u, c.error)
            << (c.path ? c.path : "null");
        os.CloseHandle(h);
    }
    if (root) {  // the refusal root never meets, mapped alone
        EXPECT_EQ(WindowsErrorFromErrno(EACCES), ErrorAccessDenied);
    }
}

}  // namespace
