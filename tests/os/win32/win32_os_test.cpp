// The Windows OS layer against the real system: Wine's hid.dll, SetupAPI,
// kernel32 and C: drive. No unit is attached here, so these check the calls
// themselves: binding, a complete enumeration, failed opens, error codes for
// bad arguments, the tick count and the log file's line ends.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "os/os_checks.h"
#include "os/win32/win32_os.h"
#include "os/win32/windows_api.h"

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

// Wine's own HID devices never send a report. A read on one, opened as the
// library opens a unit, gives up when its slice ends and succeeds with 0
// bytes instead of blocking for ever, read after read; the handle still
// answers hid.dll's queries.
TEST(Win32Os, AReadOnAQuietHidInterfaceIsEmptyAfterTheSlice) {
    TWin32Os os(20);
    HANDLE device = InvalidHandleValue;
    for (const std::string& path : KL_VRXTest::WalkHidInterfaces(os)) {
        device = os.CreateFileA(path.c_str(), GenericRead | GenericWrite,
                                FileShareRead | FileShareWrite, nullptr, OpenExisting, 0, nullptr);
        if (device != InvalidHandleValue)
            break;
    }
    ASSERT_NE(device, InvalidHandleValue) << "no HID interface of Wine opens";
    HMODULE hid = os.LoadLibraryA("hid.dll");
    const auto getPreparsed = reinterpret_cast<PFN_HidD_GetPreparsedData>(
        os.GetProcAddress(hid, "HidD_GetPreparsedData"));
    const auto getCaps = reinterpret_cast<PFN_HidP_GetCaps>(os.GetProcAddress(hid, "HidP_GetCaps"));
    const auto freePreparsed = reinterpret_cast<PFN_HidD_FreePreparsedData>(
        os.GetProcAddress(hid, "HidD_FreePreparsedData"));
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    HIDP_CAPS caps{};
    ASSERT_TRUE(getPreparsed(device, &preparsed));
    EXPECT_EQ(getCaps(preparsed, &caps), HIDP_STATUS_SUCCESS);
    freePreparsed(preparsed);
    std::vector<uint8_t> report(caps.InputReportByteLength + 1u, 0xEE);
    for (int read = 0; read < 3; ++read) {
        uint32_t count = 99;
        EXPECT_TRUE(os.ReadFile(device, report.data(), caps.InputReportByteLength, &count, nullptr))
            << os.GetLastError();
        EXPECT_EQ(count, 0u);
    }
    EXPECT_TRUE(os.CloseHandle(device));
    EXPECT_TRUE(os.FreeLibrary(hid));
}

// What ends a long wait on a named pipe, which stands in for a device that
// does send: Wine signals the handle when the overlapped read completes.
struct TPipeEnd {
    const char* name;
    bool serverCloses;  // else it sends a message
    uint32_t error;
    std::string read;

    friend void PrintTo(const TPipeEnd& c, std::ostream* out) { *out << c.name; }
};

class Win32OsWait : public ::testing::TestWithParam<TPipeEnd> {};

// The message or the hang-up comes while the read waits (or just before it
// starts); either way the read ends at once, long before its slice.
TEST_P(Win32OsWait, ThePeerEndsAWaitAtOnce) {
    const TPipeEnd& c = GetParam();
    constexpr uint32_t slice = 20'000;
    TWin32Os os(slice);
    const std::string name = "\\\\.\\pipe\\kl_vrx_read_wait_" + std::string(c.name);
    HANDLE server = ::CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX,
                                       PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 64,
                                       64, 0, nullptr);
    ASSERT_NE(server, InvalidHandleValue) << ::GetLastError();
    HANDLE client = os.CreateFileA(name.c_str(), GenericRead | GenericWrite, 0, nullptr,
                                   OpenExisting, 0, nullptr);
    ASSERT_NE(client, InvalidHandleValue) << os.GetLastError();
    std::thread unit([&] {
        DWORD written = 0;
        if (c.serverCloses)
            ::CloseHandle(server);
        else
            ::WriteFile(server, "\4\7", 2, &written, nullptr);
    });
    char buffer[8] = {};
    uint32_t count = 99;
    const auto start = std::chrono::steady_clock::now();
    const uint32_t error =
        os.ReadFile(client, buffer, sizeof buffer, &count, nullptr) ? 0 : os.GetLastError();
    const auto waited = std::chrono::steady_clock::now() - start;
    unit.join();
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(std::string(buffer, count), c.read);
    EXPECT_LT(waited, std::chrono::milliseconds(slice / 2));
    EXPECT_TRUE(os.CloseHandle(client));
    if (!c.serverCloses)
        ::CloseHandle(server);
}

INSTANTIATE_TEST_SUITE_P(Ends, Win32OsWait,
                         ::testing::Values(TPipeEnd{"AMessage", false, 0, "\4\7"},
                                           TPipeEnd{"TheServerGoingAway", true, ERROR_BROKEN_PIPE,
                                                    ""}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace KL_VRXOS
