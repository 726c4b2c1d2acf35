// The Windows OS layer against the real system: Wine's hid.dll, SetupAPI and
// kernel32. No unit is attached here, so these check the calls themselves:
// binding, a complete enumeration, reads bounded by their slice, the tick
// count, and the layer's own refusals of bad arguments.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "os/os_checks.h"
#include "os/win32/win32_os.h"
#include "os/win32/windows_api.h"

namespace KL_VRXOS {
namespace {

TEST(Win32Os, BindsHidDllTicksAndRefusesBadArguments) {
    KL_IOperatingSystem& os = DefaultOs();
    EXPECT_TRUE(os.FreeLibrary(KL_VRXTest::ExpectHidDllBinds(os)));
    KL_VRXTest::ExpectTickCountMoves(os);
    EXPECT_GE(os.LocalTime().tm_year, 120);
    // The error each call leaves, 0 when it did not fail.
    const auto failure = [&os](bool failed) { return failed ? os.GetLastError() : 0u; };
    const struct {
        const char* call;
        uint32_t error, expected;
    } rows[] = {
        {"CreateFileA(null)",
         failure(os.CreateFileA(nullptr, GenericRead, 0, nullptr, OpenExisting, 0, nullptr) ==
                 InvalidHandleValue),
         ErrorPathNotFound},
        {"GetProcAddress(null)", failure(os.GetProcAddress(nullptr, "HidP_GetCaps") == nullptr),
         ErrorInvalidHandle},
        {"SetupDiGetClassDevsW(null)",
         failure(os.SetupDiGetClassDevsW(nullptr, nullptr, nullptr, 0x12) == InvalidHandleValue),
         ErrorInvalidParameter},
        {"CloseHandle(invalid)", failure(!os.CloseHandle(InvalidHandleValue)), ErrorInvalidHandle},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.error, row.expected) << row.call;
}

// Wine always offers its own virtual keyboard and mouse as HID devices, so
// the size query and the detail call are really exercised; none is a unit.
// They never send a report: a read on one, opened as the library opens a
// unit, gives up when its slice ends and succeeds with 0 bytes instead of
// blocking for ever, read after read; the handle still answers hid.dll.
TEST(Win32Os, EnumeratesWineHidInterfacesAndAQuietOneReadsEmptyAfterTheSlice) {
    TWin32Os os(20);
    uint32_t end = 0;
    const std::vector<std::string> paths = KL_VRXTest::WalkHidInterfaces(os, &end);
    EXPECT_EQ(end, ErrorNoMoreItems);
    EXPECT_EQ(KL_VRXTest::WalkHidInterfaces(os), paths);  // same order again
    HANDLE device = InvalidHandleValue;
    for (const std::string& path : paths) {
        std::string lower = path;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(lower.find("vid_3c5a"), std::string::npos) << path;
        if (device != InvalidHandleValue)
            continue;
        device = os.CreateFileA(path.c_str(), GenericRead | GenericWrite,
                                FileShareRead | FileShareWrite, nullptr, OpenExisting, 0, nullptr);
    }
    ASSERT_NE(device, InvalidHandleValue) << "no HID interface of Wine opens";
    HMODULE hid = os.LoadLibraryA("hid.dll");
    const auto getPreparsed = reinterpret_cast<PFN_HidD_GetPreparsedData>(
        os.GetProcAddress(hid, "HidD_GetPreparsedData"));
    const auto getCaps = reinterpret_cast<PFN_HidP_GetCaps>(os.GetProcAddress(hid, "HidP_GetCaps"));
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    HIDP_CAPS caps{};
    ASSERT_TRUE(getPreparsed(device, &preparsed));
    EXPECT_EQ(getCaps(preparsed, &caps), HIDP_STATUS_SUCCESS);
    reinterpret_cast<PFN_HidD_FreePreparsedData>(os.GetProcAddress(hid, "HidD_FreePreparsedData"))(
        preparsed);
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

// A named pipe stands in for a device that does send: the message or the
// hang-up comes while the read waits (or just before it starts); either way
// the read ends at once, long before its slice.
TEST(Win32Os, ThePeerEndsAWaitAtOnce) {
    const struct {
        const char* name;
        bool serverCloses;  // else it sends a message
        uint32_t error;
        std::string read;
    } rows[] = {{"AMessage", false, 0, "\4\7"},
                {"TheServerGoingAway", true, ERROR_BROKEN_PIPE, ""}};
    for (const auto& c : rows) {
        SCOPED_TRACE(c.name);
        constexpr uint32_t slice = 20'000;
        TWin32Os os(slice);
        const std::string name = "\\\\.\\pipe\\kl_vrx_read_wait_" + std::string(c.name);
        HANDLE server = ::CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX,
                                           PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1,
                                           64, 64, 0, nullptr);
        ASSERT_NE(server, InvalidHandleValue) << ::GetLastError();
        HANDLE client = os.CreateFileA(name.c_str(), GenericRead | GenericWrite, 0, nullptr,
                                       OpenExisting, 0, nullptr);
        ASSERT_NE(client, InvalidHandleValue) << os.GetLastError();
        std::thread unit([&] {
            DWORD written = 0;
            c.serverCloses ? ::CloseHandle(server)
                           : ::WriteFile(server, "\4\7", 2, &written, nullptr);
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
}

}  // namespace
}  // namespace KL_VRXOS
