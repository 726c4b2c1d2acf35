// The Windows OS layer against the real system: Wine's hid.dll, SetupAPI,
// kernel32 and C: drive. No unit is attached here, so these check the calls
// themselves: binding, a complete enumeration, failed opens, error codes for
// bad arguments, the tick count and the log file's line ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "os/os.h"

namespace KL_VRXOS {
namespace {

const char* const HidEntryPoints[] = {
    "HidD_GetHidGuid",       "HidD_GetPreparsedData",      "HidD_FreePreparsedData",
    "HidP_GetCaps",          "HidD_GetSerialNumberString", "HidD_GetManufacturerString",
    "HidD_GetProductString",
};

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios_base::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs the discovery sequence the transport runs and returns every path.
std::vector<std::string> EnumerateHidInterfaces(KL_IOperatingSystem& os) {
    std::vector<std::string> paths;
    HMODULE hid = os.LoadLibraryA("hid.dll");
    EXPECT_NE(hid, nullptr);
    auto getGuid = reinterpret_cast<PFN_HidD_GetHidGuid>(os.GetProcAddress(hid, "HidD_GetHidGuid"));
    if (getGuid == nullptr)
        return paths;
    GUID hidGuid{};
    getGuid(&hidGuid);
    EXPECT_TRUE(hidGuid == HidInterfaceClassGuid);

    HDEVINFO set =
        os.SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DigcfPresent | DigcfDeviceInterface);
    EXPECT_NE(set, InvalidHandleValue) << os.GetLastError();
    if (set == InvalidHandleValue)
        return paths;

    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    uint32_t index = 0;
    for (; os.SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, index, &data); ++index) {
        uint32_t required = 0;
        EXPECT_FALSE(
            os.SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr));
        EXPECT_EQ(os.GetLastError(), ErrorInsufficientBuffer);
        EXPECT_GT(required, 8u);
        std::vector<char> storage(required);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
        detail->cbSize = 8;
        EXPECT_TRUE(
            os.SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr, nullptr))
            << os.GetLastError();
        paths.emplace_back(detail->DevicePath);
    }
    EXPECT_EQ(os.GetLastError(), ErrorNoMoreItems);
    EXPECT_TRUE(os.SetupDiDestroyDeviceInfoList(set));
    EXPECT_TRUE(os.FreeLibrary(hid));
    return paths;
}

TEST(Win32Os, BindsAllSevenHidEntryPoints) {
    KL_IOperatingSystem& os = DefaultOs();
    HMODULE hid = os.LoadLibraryA("HID.DLL");
    ASSERT_NE(hid, nullptr) << os.GetLastError();
    for (const char* name : HidEntryPoints)
        EXPECT_NE(os.GetProcAddress(hid, name), nullptr) << name;
    EXPECT_EQ(os.GetProcAddress(hid, "HidD_NoSuchEntry"), nullptr);
    EXPECT_EQ(os.GetLastError(), ErrorProcNotFound);
    EXPECT_TRUE(os.FreeLibrary(hid));
}

TEST(Win32Os, EnumeratesWineHidInterfacesWithoutUnits) {
    const std::vector<std::string> paths = EnumerateHidInterfaces(DefaultOs());
    // Wine always offers its own virtual keyboard and mouse as HID devices,
    // so the size query and the detail call are really exercised.
    EXPECT_FALSE(paths.empty());
    for (const std::string& path : paths) {
        std::string lower = path;
        for (char& c : lower)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        EXPECT_EQ(lower.find("vid_3c5a"), std::string::npos) << path;
        EXPECT_FALSE(path.empty());
    }
    // A second pass sees the same interfaces in the same order.
    EXPECT_EQ(EnumerateHidInterfaces(DefaultOs()), paths);
}

TEST(Win32Os, OpeningAMissingDeviceFails) {
    KL_IOperatingSystem& os = DefaultOs();
    HANDLE h =
        os.CreateFileA("\\\\?\\hid#vid_3c5a&pid_0e32#0#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                       GenericRead | GenericWrite, FileShareRead | FileShareWrite, nullptr,
                       OpenExisting, 0, nullptr);
    EXPECT_EQ(h, InvalidHandleValue);
    EXPECT_NE(os.GetLastError(), ErrorSuccess);
}

// Bad arguments and dead handles get Windows' codes instead of a crash.
TEST(Win32Os, BadArgumentsGiveWindowsErrors) {
    KL_IOperatingSystem& os = DefaultOs();
    const std::string path = "C:\\kl_vrx_win32_handles.bin";
    { std::ofstream(path, std::ios_base::binary) << "abc"; }
    HANDLE file = os.CreateFileA(path.c_str(), GenericRead, FileShareRead | FileShareWrite, nullptr,
                                 OpenExisting, 0, nullptr);
    ASSERT_NE(file, InvalidHandleValue) << os.GetLastError();
    char buffer[8] = {};
    uint32_t count = 99;
    ASSERT_TRUE(os.ReadFile(file, buffer, sizeof(buffer), &count, nullptr));
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(std::string(buffer, count), "abc");
    EXPECT_FALSE(os.ReadFile(file, buffer, sizeof(buffer), nullptr, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidParameter);
    EXPECT_TRUE(os.CloseHandle(file));
    std::remove(path.c_str());

    GUID guid = HidInterfaceClassGuid;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof(data);
    const auto run = [&](const char* call, bool ok, uint32_t expected) {
        const uint32_t error = os.GetLastError();
        EXPECT_FALSE(ok) << call;
        EXPECT_EQ(error, expected) << call;
    };
    run("LoadLibraryA(null)", os.LoadLibraryA(nullptr) != nullptr, ErrorInvalidParameter);
    run("LoadLibraryA(missing)", os.LoadLibraryA("kl_vrx_no_such.dll") != nullptr,
        ErrorModNotFound);
    run("GetProcAddress(null)", os.GetProcAddress(nullptr, "HidD_GetHidGuid") != nullptr,
        ErrorInvalidHandle);
    run("FreeLibrary(null)", os.FreeLibrary(nullptr), ErrorInvalidHandle);
    run("SetupDiGetClassDevsW(null)",
        os.SetupDiGetClassDevsW(nullptr, nullptr, nullptr, 0x12) != InvalidHandleValue,
        ErrorInvalidParameter);
    run("SetupDiEnumDeviceInterfaces(bad set)",
        os.SetupDiEnumDeviceInterfaces(InvalidHandleValue, nullptr, &guid, 0, &data),
        ErrorInvalidHandle);
    run("SetupDiGetDeviceInterfaceDetailA(bad set)",
        os.SetupDiGetDeviceInterfaceDetailA(nullptr, &data, nullptr, 0, nullptr, nullptr),
        ErrorInvalidHandle);
    run("SetupDiDestroyDeviceInfoList(bad set)", os.SetupDiDestroyDeviceInfoList(nullptr),
        ErrorInvalidHandle);
    run("CreateFileA(null)",
        os.CreateFileA(nullptr, GenericRead, 0, nullptr, OpenExisting, 0, nullptr) !=
            InvalidHandleValue,
        ErrorPathNotFound);
    run("ReadFile(closed)", os.ReadFile(file, buffer, sizeof(buffer), &count, nullptr),
        ErrorInvalidHandle);
    run("WriteFile(closed)", os.WriteFile(file, buffer, 1, &count, nullptr), ErrorInvalidHandle);
    run("CloseHandle(closed)", os.CloseHandle(file), ErrorInvalidHandle);
    run("CloseHandle(invalid)", os.CloseHandle(InvalidHandleValue), ErrorInvalidHandle);
}

TEST(Win32Os, TickCountMoves) {
    KL_IOperatingSystem& os = DefaultOs();
    const uint32_t start = os.GetTickCount();
    uint32_t now = start;
    // A tick is at most ~16 ms; a few hundred million polls is far beyond that.
    for (long spin = 0; now == start && spin < 500'000'000; ++spin)
        now = os.GetTickCount();
    EXPECT_NE(now, start);
    EXPECT_NE(os.GetCurrentThreadId(), 0u);
    EXPECT_GE(os.LocalTime().tm_year, 120);
}

TEST(Win32Os, LogFileUnderCDriveHasCrLf) {
    KL_IOperatingSystem& os = DefaultOs();
    const std::string path = "C:\\kl_vrx_win32_log_test.log";
    std::remove(path.c_str());
    for (const char* text : {"first\n", "second\nthird\n"}) {
        std::unique_ptr<TTextFile> file = os.OpenAppendTextFile(path);
        ASSERT_TRUE(file->Good());
        file->Write(text);
    }
    EXPECT_EQ(ReadWholeFile(path), "first\r\nsecond\r\nthird\r\n");
    EXPECT_EQ(std::remove(path.c_str()), 0);

    const std::string missing = "C:\\kl_vrx_no_such_dir\\VRXHIDLog.log";
    EXPECT_FALSE(os.OpenAppendTextFile(missing)->Good());
    EXPECT_FALSE(std::ifstream(missing).is_open());
}

}  // namespace
}  // namespace KL_VRXOS
