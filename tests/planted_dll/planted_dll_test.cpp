// A hid.dll planted beside the program (tests/planted_dll/decoy_hid.cpp) is
// never what the library binds: it takes hid.dll from the system directory,
// by either form of LoadSystemLibrary and through KL_VRX.dll's exports.
//
// Each test runs in a process of its own (one ctest entry each): once a
// process holds a module named hid.dll, every later load of that name gets
// it, whichever file it came from.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

#include "os/win32/system_library.h"
#include "os/win32/windows_api.h"

namespace {

using KL_VRXOS::TSystemDirectorySearch;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    return std::string(path, length);
}

bool DecoyLoaded() {
    char flag[8] = {};
    return GetEnvironmentVariableA("KL_VRX_DECOY_HID_LOADED", flag, sizeof flag) != 0;
}

// module is Windows' own hid.dll, and the decoy never came into the process.
void ExpectSystemHidDll(HMODULE module) {
    ASSERT_NE(module, nullptr) << GetLastError();
    char directory[MAX_PATH + 1] = {};
    ASSERT_NE(GetSystemDirectoryA(directory, MAX_PATH), 0u);
    EXPECT_EQ(Lower(ModulePath(module)), Lower(std::string(directory) + "\\hid.dll"));
    EXPECT_EQ(GetProcAddress(module, "DecoyMarker"), nullptr);
    EXPECT_NE(GetProcAddress(module, "HidP_GetCaps"), nullptr);
    EXPECT_FALSE(DecoyLoaded());
}

// Guards the other tests: the plant works, a bare name would have bound it.
TEST(PlantedHidDll, ABareNameLoadsThePlant) {
    HMODULE module = LoadLibraryA("hid.dll");
    ASSERT_NE(module, nullptr) << GetLastError();
    EXPECT_NE(GetProcAddress(module, "DecoyMarker"), nullptr) << ModulePath(module);
    EXPECT_TRUE(DecoyLoaded());
}

// Either form of the search binds Windows' own hid.dll.
void ExpectSystemHidDllBound(TSystemDirectorySearch search) {
    HMODULE module = static_cast<HMODULE>(KL_VRXOS::LoadSystemLibrary("HID.DLL", search));
    ExpectSystemHidDll(module);
    EXPECT_TRUE(FreeLibrary(module));
}

TEST(PlantedHidDll, SearchFlagBindsTheSystemHidDll) {
    ExpectSystemHidDllBound(TSystemDirectorySearch::SearchFlag);
}

TEST(PlantedHidDll, ExplicitPathBindsTheSystemHidDll) {
    ExpectSystemHidDllBound(TSystemDirectorySearch::ExplicitPath);
}

// Only a bare name is taken: the decoy's own path is refused outright.
TEST(PlantedHidDll, ANameWithADirectoryIsRefused) {
    const std::string decoy =
        ModulePath(nullptr).substr(0, ModulePath(nullptr).rfind('\\')) + "\\hid.dll";
    SetLastError(0);
    EXPECT_EQ(
        KL_VRXOS::LoadSystemLibrary(decoy.c_str(), KL_VRXOS::SupportedSystemDirectorySearch()),
        nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_FALSE(DecoyLoaded());
}

// The shipped DLL, through its exports: counting binds hid.dll, and the
// count comes from Wine's HID interfaces (no unit: the simulated one only).
TEST(PlantedHidDll, SharedLibraryBindsTheSystemHidDll) {
    HMODULE library = LoadLibraryA("KL_VRX.dll");
    ASSERT_NE(library, nullptr) << GetLastError();
    using TGetVRXDeviceCount = uint32_t(__stdcall*)(uint32_t*);
    const auto getCount =
        reinterpret_cast<TGetVRXDeviceCount>(  // through void (*)(), the generic one
            reinterpret_cast<void (*)()>(GetProcAddress(library, "GetVRXDeviceCount")));
    ASSERT_NE(getCount, nullptr);
    uint32_t count = 0;
    EXPECT_EQ(getCount(&count), 0u);
    EXPECT_EQ(count, 1u);
    ExpectSystemHidDll(GetModuleHandleA("hid.dll"));
    EXPECT_TRUE(FreeLibrary(library));
}

}  // namespace
