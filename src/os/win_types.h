// Windows-shaped types, constants and records used across the OS layer.
//
// The library's algorithms are written against Windows calls. These are the
// types of those calls, laid out exactly as on 64-bit Windows, so that the
// Win32 implementation can hand them to the real system unchanged and every
// other implementation (Linux, emulator) fills the same records.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define KL_WINAPI __stdcall
#else
#define KL_WINAPI
#endif

namespace KL_VRXOS {

using BOOL = int;
using BOOLEAN = uint8_t;
using NTSTATUS = int32_t;
using HANDLE = void*;
using HMODULE = void*;
using HDEVINFO = void*;
using HWND = void*;
using FARPROC = void (*)();

inline HANDLE const InvalidHandleValue = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};

inline bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}

// The HID device-interface class {4D1E55B2-F16F-11CF-88CB-001111000030}.
inline constexpr GUID HidInterfaceClassGuid = {
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// SP_DEVICE_INTERFACE_DATA: cbSize must be 32 on 64-bit Windows.
struct SP_DEVICE_INTERFACE_DATA {
    uint32_t cbSize;
    GUID InterfaceClassGuid;
    uint32_t Flags;
    uintptr_t Reserved;
};

// SP_DEVICE_INTERFACE_DETAIL_DATA_A: cbSize must be 8 (the fixed part on
// 64-bit Windows); the NUL-terminated path follows the size field.
struct SP_DEVICE_INTERFACE_DETAIL_DATA_A {
    uint32_t cbSize;
    char DevicePath[1];
};

// SP_DEVINFO_DATA: never passed by the library (always null), declared for
// the signatures only.
struct SP_DEVINFO_DATA {
    uint32_t cbSize;
    GUID ClassGuid;
    uint32_t DevInst;
    uintptr_t Reserved;
};

// HIDP_CAPS as HidP_GetCaps fills it.
struct HIDP_CAPS {
    uint16_t Usage;
    uint16_t UsagePage;
    uint16_t InputReportByteLength;
    uint16_t OutputReportByteLength;
    uint16_t FeatureReportByteLength;
    uint16_t Reserved[17];
    uint16_t NumberLinkCollectionNodes;
    uint16_t NumberInputButtonCaps;
    uint16_t NumberInputValueCaps;
    uint16_t NumberInputDataIndices;
    uint16_t NumberOutputButtonCaps;
    uint16_t NumberOutputValueCaps;
    uint16_t NumberOutputDataIndices;
    uint16_t NumberFeatureButtonCaps;
    uint16_t NumberFeatureValueCaps;
    uint16_t NumberFeatureDataIndices;
};

using PHIDP_PREPARSED_DATA = void*;

static_assert(sizeof(GUID) == 16);
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 32);
static_assert(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) == 4);
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 8);
static_assert(sizeof(HIDP_CAPS) == 64);

// The seven hid.dll entry points, with the signatures hid.dll publishes.
using PFN_HidD_GetHidGuid = void(KL_WINAPI*)(GUID* hidGuid);
using PFN_HidD_GetPreparsedData = BOOLEAN(KL_WINAPI*)(HANDLE device,
                                                      PHIDP_PREPARSED_DATA* preparsedData);
using PFN_HidD_FreePreparsedData = BOOLEAN(KL_WINAPI*)(PHIDP_PREPARSED_DATA preparsedData);
using PFN_HidP_GetCaps = NTSTATUS(KL_WINAPI*)(PHIDP_PREPARSED_DATA preparsedData, HIDP_CAPS* caps);
// HidD_GetSerialNumberString, HidD_GetManufacturerString, HidD_GetProductString.
using PFN_HidD_GetString = BOOLEAN(KL_WINAPI*)(HANDLE device, void* buffer, uint32_t bufferLength);

inline constexpr NTSTATUS HIDP_STATUS_SUCCESS = 0x00110000;
inline constexpr NTSTATUS HIDP_STATUS_INVALID_PREPARSED_DATA = static_cast<NTSTATUS>(0xC0110001);

// Argument values the library passes.
inline constexpr uint32_t GenericRead = 0x80000000u;
inline constexpr uint32_t GenericWrite = 0x40000000u;
inline constexpr uint32_t FileShareRead = 0x1u;
inline constexpr uint32_t FileShareWrite = 0x2u;
inline constexpr uint32_t OpenExisting = 3u;
inline constexpr uint32_t DigcfPresent = 0x2u;
inline constexpr uint32_t DigcfDeviceInterface = 0x10u;

// GetLastError values the layers above depend on.
inline constexpr uint32_t ErrorSuccess = 0;
inline constexpr uint32_t ErrorFileNotFound = 2;
inline constexpr uint32_t ErrorPathNotFound = 3;
inline constexpr uint32_t ErrorAccessDenied = 5;
inline constexpr uint32_t ErrorInvalidHandle = 6;
inline constexpr uint32_t ErrorNotEnoughMemory = 8;
inline constexpr uint32_t ErrorGenFailure = 31;
inline constexpr uint32_t ErrorInvalidParameter = 87;
inline constexpr uint32_t ErrorInsufficientBuffer = 122;
inline constexpr uint32_t ErrorModNotFound = 126;
inline constexpr uint32_t ErrorProcNotFound = 127;
inline constexpr uint32_t ErrorNoMoreItems = 259;
inline constexpr uint32_t ErrorDeviceNotConnected = 1167;
inline constexpr uint32_t ErrorInvalidUserBuffer = 1784;

}  // namespace KL_VRXOS
