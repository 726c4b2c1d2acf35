// Enumeration and opening on a fake sysfs and /dev tree, through the
// Windows-shaped calls the library makes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "os/linux/linux_os.h"
#include "support/temp_dir.h"

namespace {

using namespace KL_VRXOS;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// One vendor collection: 64-byte input and output reports, no report IDs.
const std::string VendorDescriptor = {'\x06', '\x00', '\xFF', '\x09', '\x01', '\xA1',
                                      '\x01', '\x75', '\x08', '\x95', '\x40', '\x81',
                                      '\x02', '\x91', '\x02', '\xC0'};

class FakeTree : public ::testing::Test {
  protected:
    void AddNode(unsigned n, const std::string& uevent, bool withDescriptor = true) {
        const std::string device =
            dir.Path() + "/sys/class/hidraw/hidraw" + std::to_string(n) + "/device/";
        WriteFile(device + "uevent", uevent);
        if (withDescriptor)
            WriteFile(device + "report_descriptor", VendorDescriptor);
        WriteFile(dir.Path() + "/dev/hidraw" + std::to_string(n), "");
    }

    // The paths in member order, as the library's enumeration collects them.
    std::vector<std::string> Enumerate() {
        std::vector<std::string> paths;
        HDEVINFO set = os.SetupDiGetClassDevsW(&HidInterfaceClassGuid, nullptr, nullptr,
                                               DigcfPresent | DigcfDeviceInterface);
        EXPECT_NE(set, InvalidHandleValue);
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        for (uint32_t i = 0;
             os.SetupDiEnumDeviceInterfaces(set, nullptr, &HidInterfaceClassGuid, i, &data); ++i) {
            uint32_t required = 0;
            EXPECT_FALSE(
                os.SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr));
            EXPECT_EQ(os.GetLastError(), ErrorInsufficientBuffer);
            std::vector<uint8_t> buffer(required);
            auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
            detail->cbSize = 8;
            EXPECT_TRUE(os.SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr,
                                                            nullptr));
            paths.push_back(reinterpret_cast<const char*>(buffer.data() + 4));
            EXPECT_EQ(required, 8 + paths.back().size() + 1);
        }
        EXPECT_EQ(os.GetLastError(), ErrorNoMoreItems);
        EXPECT_TRUE(os.SetupDiDestroyDeviceInfoList(set));
        return paths;
    }

    KL_VRXTest::TTempDir dir;
    TLinuxOs os{dir.Path() + "/sys", dir.Path() + "/dev"};
};

TEST_F(FakeTree, ListsNodesInNumericOrderAndSkipsBadUevents) {
    AddNode(10, "DRIVER=hid-generic\nHID_ID=0003:00003C5A:00000E32\nHID_NAME=Unit\n");
    AddNode(2, "HID_ID=0003:00003C5A:00000E58\n");
    AddNode(3, "HID_ID=0003:garbage:00000E58\n");
    AddNode(4, "DRIVER=hid-generic\n");
    AddNode(5, "HID_ID=0003:00013C5A:00000E58\n");  // vendor beyond 16 bits
    AddNode(7, "HID_ID=0005:0000046D:0000B010\n", false);
    WriteFile(dir.Path() + "/sys/class/hidraw/notanode/device/uevent",
              "HID_ID=0003:00003C5A:00000E32\n");
    EXPECT_EQ(Enumerate(), (std::vector<std::string>{"\\\\?\\hid#vid_3c5a&pid_0e58#hidraw2",
                                                     "\\\\?\\hid#vid_046d&pid_b010#hidraw7",
                                                     "\\\\?\\hid#vid_3c5a&pid_0e32#hidraw10"}));
}

TEST_F(FakeTree, MissingClassDirectoryIsAnEmptyList) {
    EXPECT_TRUE(Enumerate().empty());
}

TEST_F(FakeTree, SetupCallsRefuseWrongSizesAndBadSets) {
    AddNode(0, "HID_ID=0003:00003C5A:00000E32\n");
    HDEVINFO set = os.SetupDiGetClassDevsW(&HidInterfaceClassGuid, nullptr, nullptr, 0x12);
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = 28;
    EXPECT_FALSE(os.SetupDiEnumDeviceInterfaces(set, nullptr, nullptr, 0, &data));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidUserBuffer);
    data.cbSize = 32;
    ASSERT_TRUE(os.SetupDiEnumDeviceInterfaces(set, nullptr, nullptr, 0, &data));
    uint8_t small[12] = {};
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(small);
    detail->cbSize = 5;
    EXPECT_FALSE(
        os.SetupDiGetDeviceInterfaceDetailA(set, &data, detail, sizeof small, nullptr, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidUserBuffer);
    detail->cbSize = 8;
    EXPECT_FALSE(
        os.SetupDiGetDeviceInterfaceDetailA(set, &data, detail, sizeof small, nullptr, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInsufficientBuffer);
    EXPECT_FALSE(os.SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 8, nullptr, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidUserBuffer);
    EXPECT_TRUE(os.SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(os.SetupDiEnumDeviceInterfaces(set, nullptr, nullptr, 0, &data));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
    EXPECT_FALSE(os.SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(os.SetupDiGetClassDevsW(nullptr, nullptr, nullptr, 0x12), InvalidHandleValue);
    EXPECT_EQ(os.GetLastError(), ErrorInvalidParameter);
}

// An opened node gives its caps through hid.dll's entry points; without a
// readable report descriptor the open still works but the caps fail.
TEST_F(FakeTree, OpenedNodesGiveCapsFromTheirDescriptor) {
    AddNode(1, "HID_ID=0003:00003C5A:00000E32\n");
    AddNode(2, "HID_ID=0003:00003C5A:00000E31\n", false);
    HMODULE hid = os.LoadLibraryA("HID.DLL");
    ASSERT_NE(hid, nullptr);
    auto getPreparsed = reinterpret_cast<PFN_HidD_GetPreparsedData>(
        os.GetProcAddress(hid, "HidD_GetPreparsedData"));
    auto getCaps = reinterpret_cast<PFN_HidP_GetCaps>(os.GetProcAddress(hid, "HidP_GetCaps"));
    auto freePreparsed = reinterpret_cast<PFN_HidD_FreePreparsedData>(
        os.GetProcAddress(hid, "HidD_FreePreparsedData"));

    HANDLE unit = os.CreateFileA("\\\\?\\HID#VID_3C5A&PID_0E32#HIDRAW1", GenericRead | GenericWrite,
                                 FileShareRead | FileShareWrite, nullptr, OpenExisting, 0, nullptr);
    ASSERT_NE(unit, InvalidHandleValue);
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    ASSERT_TRUE(getPreparsed(unit, &preparsed));
    HIDP_CAPS caps{};
    EXPECT_EQ(getCaps(preparsed, &caps), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(caps.InputReportByteLength, 65);
    EXPECT_EQ(caps.OutputReportByteLength, 65);
    EXPECT_EQ(caps.UsagePage, 0xFF00);
    EXPECT_TRUE(freePreparsed(preparsed));
    EXPECT_EQ(getCaps(preparsed, &caps), HIDP_STATUS_INVALID_PREPARSED_DATA);
    EXPECT_FALSE(freePreparsed(preparsed));
    EXPECT_TRUE(os.CloseHandle(unit));
    EXPECT_FALSE(getPreparsed(unit, &preparsed));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);

    HANDLE bare =
        os.CreateFileA("\\\\?\\hid#vid_3c5a&pid_0e31#hidraw2", 0, 0, nullptr, 3, 0, nullptr);
    ASSERT_NE(bare, InvalidHandleValue);
    EXPECT_FALSE(getPreparsed(bare, &preparsed));
    EXPECT_EQ(os.GetLastError(), ErrorGenFailure);
    EXPECT_TRUE(os.CloseHandle(bare));
    EXPECT_TRUE(os.FreeLibrary(hid));
}

TEST_F(FakeTree, FailedOpensGiveWindowsCodes) {
    AddNode(4, "HID_ID=0003:00003C5A:00000E32\n");
    std::filesystem::permissions(dir.Path() + "/dev/hidraw4", std::filesystem::perms::none);
    const bool root = ::geteuid() == 0;  // root opens a file without permissions
    struct TCase {
        const char* path;
        uint32_t error;
    } cases[] = {
        {"\\\\?\\hid#vid_3c5a&pid_0e32#hidraw9", ErrorFileNotFound},
        {"\\\\?\\usb#vid_3c5a&pid_0e32#hidraw4", ErrorFileNotFound},
        {"\\\\?\\hid#hidraw4", ErrorFileNotFound},
        {"\\\\?\\hid#vid_3c5a&pid_0e32#hidraw4x", ErrorFileNotFound},
        {"/dev/hidraw4", ErrorFileNotFound},
        {nullptr, ErrorPathNotFound},
        {"\\\\?\\hid#vid_3c5a&pid_0e32#hidraw4", root ? 0u : ErrorAccessDenied},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.path ? c.path : "null");
        HANDLE h = os.CreateFileA(c.path, GenericRead | GenericWrite, 3, nullptr, 3, 0, nullptr);
        if (c.error == 0) {
            EXPECT_TRUE(os.CloseHandle(h));
            continue;
        }
        EXPECT_EQ(h, InvalidHandleValue);
        EXPECT_EQ(os.GetLastError(), c.error);
    }
}

}  // namespace
