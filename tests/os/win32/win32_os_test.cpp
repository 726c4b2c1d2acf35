// The Windows OS layer against the real system: Wine's hid.dll, SetupAPI,
// kernel32 and C: drive. No unit is attached here, so these check the calls
// themselves: binding, a complete enumeration, failed opens, error codes for
// bad arguments, the tick count and the log file's line ends.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "os/os_checks.h"

namespace KL_VRXOS {
namespace {

TEST(Win32Os, BindsAllSevenHidEntryPoints) {
    EXPECT_TRUE(DefaultOs().FreeLibrary(KL_VRXTest::ExpectHidDllBinds(DefaultOs())));
}

// Wine always offers its own virtual keyboard and mouse as HID devices, so
// the size query and the detail call are really exercised; none is a unit.
TEST(Win32Os, EnumeratesWineHidInterfacesWithoutUnits) {
    uint32_t end = 0;
    const std::vector<std::string> paths = KL_VRXTest::WalkHidInterfaces(DefaultOs(), &end);
    EXPECT_EQ(end, ErrorNoMoreItems);
    EXPECT_FALSE(paths.empty());
    for (std::string path : paths) {
        for (char& c : path)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(path.find("vid_3c5a"), std::string::npos) << path;
    }
    EXPECT_EQ(KL_VRXTest::WalkHidInterfaces(DefaultOs()), paths);  // same order again
}

// The log file's line ends; then bad arguments, a closed handle and a
// missing device get Windows' codes instead of a crash.
TEST(Win32Os, LogFileUnderCDriveHasCrLfAndFailuresGiveWindowsErrors) {
    KL_IOperatingSystem& os = DefaultOs();
    const std::string path = "C:\\kl_vrx_win32_log_test.log";
    std::remove(path.c_str());
    for (const char* text : {"first\n", "second\nthird\n"})
        os.OpenAppendTextFile(path)->Write(text);
    std::ifstream in(path, std::ios_base::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "first\r\nsecond\r\nthird\r\n");
    in.close();
    EXPECT_FALSE(os.OpenAppendTextFile("C:\\kl_vrx_no_such_dir\\VRXHIDLog.log")->Good());
    HANDLE closed = os.CreateFileA(path.c_str(), GenericRead, 3, nullptr, OpenExisting, 0, nullptr);
    ASSERT_NE(closed, InvalidHandleValue) << os.GetLastError();
    EXPECT_TRUE(os.CloseHandle(closed));
    EXPECT_EQ(std::remove(path.c_str()), 0);

    const auto expect = [&os](const char* call, bool failed, uint32_t error) {
        const uint32_t last = os.GetLastError();
        EXPECT_TRUE(failed) << call;
        EXPECT_TRUE(error == 0 ? last != 0 : last == error) << call << ": " << last;
    };
    const char* const missing =
        "\\\\?\\hid#vid_3c5a&pid_0e32#0#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    expect("CreateFileA(missing device)",
           os.CreateFileA(missing, GenericRead | GenericWrite, 3, nullptr, OpenExisting, 0,
                          nullptr) == InvalidHandleValue,
           0);
    expect("CreateFileA(null)",
           os.CreateFileA(nullptr, GenericRead, 0, nullptr, OpenExisting, 0, nullptr) ==
               InvalidHandleValue,
           ErrorPathNotFound);
    expect("GetProcAddress(null)", os.GetProcAddress(nullptr, "HidP_GetCaps") == nullptr,
           ErrorInvalidHandle);
    expect("SetupDiGetClassDevsW(null)",
           os.SetupDiGetClassDevsW(nullptr, nullptr, nullptr, 0x12) == InvalidHandleValue,
           ErrorInvalidParameter);
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    expect("SetupDiEnumDeviceInterfaces(bad set)",
           !os.SetupDiEnumDeviceInterfaces(nullptr, nullptr, &HidInterfaceClassGuid, 0, &data),
           ErrorInvalidHandle);
    char buffer[8] = {};
    uint32_t count = 0;
    expect("ReadFile(closed)", !os.ReadFile(closed, buffer, 8, &count, nullptr),
           ErrorInvalidHandle);
    expect("WriteFile(closed)", !os.WriteFile(closed, buffer, 1, &count, nullptr),
           ErrorInvalidHandle);
    expect("CloseHandle(invalid)", !os.CloseHandle(InvalidHandleValue), ErrorInvalidHandle);
}

TEST(Win32Os, TickCountMoves) {
    KL_VRXTest::ExpectTickCountMoves(DefaultOs());
    EXPECT_GE(DefaultOs().LocalTime().tm_year, 120);
}

}  // namespace
}  // namespace KL_VRXOS
