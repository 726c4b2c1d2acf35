// Checks against this machine's real system, mirroring the Windows suite's
// checks against Wine: binding, enumeration, a failed open, time, the log.
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "os/linux/linux_os.h"
#include "support/temp_dir.h"

namespace {

using namespace KL_VRXOS;

TEST(LinuxSystem, HidDllBindsAllSevenEntryPoints) {
    KL_IOperatingSystem& os = DefaultOs();
    EXPECT_EQ(os.LoadLibraryA("user32.dll"), nullptr);
    EXPECT_EQ(os.GetLastError(), ErrorModNotFound);
    HMODULE hid = os.LoadLibraryA("hid.dll");
    ASSERT_NE(hid, nullptr);
    for (const char* name :
         {"HidD_GetHidGuid", "HidD_GetPreparsedData", "HidD_FreePreparsedData", "HidP_GetCaps",
          "HidD_GetSerialNumberString", "HidD_GetManufacturerString", "HidD_GetProductString"})
        EXPECT_NE(os.GetProcAddress(hid, name), nullptr) << name;
    EXPECT_EQ(os.GetProcAddress(hid, "HidD_GetAttributes"), nullptr);
    EXPECT_EQ(os.GetLastError(), ErrorProcNotFound);
    GUID guid{};
    reinterpret_cast<PFN_HidD_GetHidGuid>(os.GetProcAddress(hid, "HidD_GetHidGuid"))(&guid);
    EXPECT_EQ(guid, HidInterfaceClassGuid);
    EXPECT_TRUE(os.FreeLibrary(hid));
    EXPECT_FALSE(os.FreeLibrary(hid));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
    EXPECT_EQ(os.GetProcAddress(hid, "HidP_GetCaps"), nullptr);
}

TEST(LinuxSystem, EnumerationOfThisMachineCompletes) {
    KL_IOperatingSystem& os = DefaultOs();
    HDEVINFO set = os.SetupDiGetClassDevsW(&HidInterfaceClassGuid, nullptr, nullptr, 0x12);
    ASSERT_NE(set, InvalidHandleValue);
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    uint32_t members = 0;
    while (os.SetupDiEnumDeviceInterfaces(set, nullptr, &HidInterfaceClassGuid, members, &data))
        ++members;
    EXPECT_EQ(os.GetLastError(), ErrorNoMoreItems);
    EXPECT_TRUE(os.SetupDiDestroyDeviceInfoList(set));
}

TEST(LinuxSystem, OpeningAMissingDeviceFails) {
    KL_IOperatingSystem& os = DefaultOs();
    EXPECT_EQ(os.CreateFileA("\\\\?\\hid#vid_3c5a&pid_0e32#hidraw999", GenericRead | GenericWrite,
                             3, nullptr, OpenExisting, 0, nullptr),
              InvalidHandleValue);
    EXPECT_NE(os.GetLastError(), 0u);
}

// Busy-waits (bounded) for the count to move: no sleeping in tests.
TEST(LinuxSystem, TickCountMoves) {
    KL_IOperatingSystem& os = DefaultOs();
    const uint32_t start = os.GetTickCount();
    uint32_t now = start;
    for (long spins = 0; now == start && spins < 2'000'000'000L; ++spins)
        now = os.GetTickCount();
    EXPECT_NE(now, start);
    EXPECT_LT(now - start, 1000u);
    EXPECT_NE(os.GetCurrentThreadId(), 0u);
}

// "C:\..." lands in the current directory, with CR LF line ends.
TEST(LinuxSystem, LogFileGoesToTheCurrentDirectoryWithCrLf) {
    KL_VRXTest::TTempDir dir;
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    {
        auto log = DefaultOs().OpenAppendTextFile("c:\\VRXHIDLog.log");
        ASSERT_TRUE(log->Good());
        log->Write("a\nb\n");
    }
    EXPECT_FALSE(DefaultOs().OpenAppendTextFile("C:\\no\\such\\dir.log")->Good());
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_EQ(dir.ReadFile("VRXHIDLog.log"), "a\r\nb\r\n");
}

}  // namespace
