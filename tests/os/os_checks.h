// Checks that every OS-layer implementation's suite (Linux, Wine, the
// emulator) makes alike: hid.dll's binding, the Setup API walk of the
// library's discovery, a moving tick count.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/os.h"

namespace KL_VRXTest {

// Loads hid.dll by an upper-case name and checks what the library binds:
// the seven entry points, 127 for another name, the HID class GUID.
inline KL_VRXOS::HMODULE ExpectHidDllBinds(KL_VRXOS::KL_IOperatingSystem& os) {
    using namespace KL_VRXOS;
    HMODULE hid = os.LoadLibraryA("HID.DLL");
    EXPECT_NE(hid, nullptr) << os.GetLastError();
    for (const char* name :
         {"HidD_GetHidGuid", "HidD_GetPreparsedData", "HidD_FreePreparsedData", "HidP_GetCaps",
          "HidD_GetSerialNumberString", "HidD_GetManufacturerString", "HidD_GetProductString"})
        EXPECT_NE(os.GetProcAddress(hid, name), nullptr) << name;
    EXPECT_EQ(os.GetProcAddress(hid, "HidD_NoSuchEntry"), nullptr);
    EXPECT_EQ(os.GetLastError(), ErrorProcNotFound);
    GUID guid{};
    if (auto get = reinterpret_cast<PFN_HidD_GetHidGuid>(os.GetProcAddress(hid, "HidD_GetHidGuid")))
        get(&guid);
    EXPECT_TRUE(guid == HidInterfaceClassGuid);
    return hid;
}

// Busy-waits, bounded, for the tick count to move: no sleeping in tests.
inline void ExpectTickCountMoves(KL_VRXOS::KL_IOperatingSystem& os) {
    const uint32_t start = os.GetTickCount();
    uint32_t now = start;
    for (long spins = 0; now == start && spins < 1'000'000'000L; ++spins)
        now = os.GetTickCount();
    EXPECT_LT(now - start - 1, 1000u) << start << " " << now;
}

// Every path whose detail could be read, in member order. The size query
// must fail with 122; endError gets the error that ended the walk.
inline std::vector<std::string> WalkHidInterfaces(KL_VRXOS::KL_IOperatingSystem& os,
                                                  uint32_t* endError = nullptr) {
    using namespace KL_VRXOS;
    std::vector<std::string> paths;
    HDEVINFO set = os.SetupDiGetClassDevsW(&HidInterfaceClassGuid, nullptr, nullptr,
                                           DigcfPresent | DigcfDeviceInterface);
    if (set == InvalidHandleValue) {
        if (endError != nullptr)
            *endError = os.GetLastError();
        return paths;
    }
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    for (uint32_t i = 0;
         os.SetupDiEnumDeviceInterfaces(set, nullptr, &HidInterfaceClassGuid, i, &data); ++i) {
        uint32_t required = 0;
        EXPECT_FALSE(
            os.SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr));
        EXPECT_EQ(os.GetLastError(), ErrorInsufficientBuffer);
        std::vector<uint64_t> storage(required / 8 + 1);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
        detail->cbSize = 8;
        if (os.SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr, nullptr))
            paths.emplace_back(detail->DevicePath);
    }
    if (endError != nullptr)
        *endError = os.GetLastError();
    EXPECT_TRUE(os.SetupDiDestroyDeviceInfoList(set));
    return paths;
}

}  // namespace KL_VRXTest
