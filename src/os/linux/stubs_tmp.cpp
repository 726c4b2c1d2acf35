// Temporary: no HID devices until the hidraw backend lands.
#include "os/linux/linux_os.h"

namespace KL_VRXOS {

namespace {
char hidModule;
void KL_WINAPI GetHidGuid(GUID* guid) {
    if (guid != nullptr)
        *guid = HidInterfaceClassGuid;
}
BOOLEAN KL_WINAPI GetPreparsed(HANDLE, PHIDP_PREPARSED_DATA*) {
    SetThreadLastError(ErrorInvalidHandle);
    return 0;
}
BOOLEAN KL_WINAPI FreePreparsed(PHIDP_PREPARSED_DATA) {
    return 0;
}
NTSTATUS KL_WINAPI GetCaps(PHIDP_PREPARSED_DATA, HIDP_CAPS*) {
    return HIDP_STATUS_INVALID_PREPARSED_DATA;
}
BOOLEAN KL_WINAPI GetString(HANDLE, void*, uint32_t) {
    SetThreadLastError(ErrorGenFailure);
    return 0;
}
}  // namespace

HMODULE TLinuxOs::LoadLibraryA(const char*) {
    return &hidModule;
}
FARPROC TLinuxOs::GetProcAddress(HMODULE, const char* name) {
    std::string n = name ? name : "";
    if (n == "HidD_GetHidGuid")
        return reinterpret_cast<FARPROC>(&GetHidGuid);
    if (n == "HidD_GetPreparsedData")
        return reinterpret_cast<FARPROC>(&GetPreparsed);
    if (n == "HidD_FreePreparsedData")
        return reinterpret_cast<FARPROC>(&FreePreparsed);
    if (n == "HidP_GetCaps")
        return reinterpret_cast<FARPROC>(&GetCaps);
    if (n == "HidD_GetSerialNumberString" || n == "HidD_GetManufacturerString" ||
        n == "HidD_GetProductString")
        return reinterpret_cast<FARPROC>(&GetString);
    SetThreadLastError(ErrorProcNotFound);
    return nullptr;
}
BOOL TLinuxOs::FreeLibrary(HMODULE) {
    return 1;
}
HDEVINFO TLinuxOs::SetupDiGetClassDevsW(const GUID*, const wchar_t*, HWND, uint32_t) {
    return reinterpret_cast<HDEVINFO>(&hidModule);
}
BOOL TLinuxOs::SetupDiEnumDeviceInterfaces(HDEVINFO, SP_DEVINFO_DATA*, const GUID*, uint32_t,
                                           SP_DEVICE_INTERFACE_DATA*) {
    SetThreadLastError(ErrorNoMoreItems);
    return 0;
}
BOOL TLinuxOs::SetupDiGetDeviceInterfaceDetailA(HDEVINFO, SP_DEVICE_INTERFACE_DATA*,
                                                SP_DEVICE_INTERFACE_DETAIL_DATA_A*, uint32_t,
                                                uint32_t*, SP_DEVINFO_DATA*) {
    SetThreadLastError(ErrorNoMoreItems);
    return 0;
}
BOOL TLinuxOs::SetupDiDestroyDeviceInfoList(HDEVINFO) {
    return 1;
}
HANDLE TLinuxOs::CreateFileA(const char*, uint32_t, uint32_t, void*, uint32_t, uint32_t, HANDLE) {
    SetThreadLastError(ErrorFileNotFound);
    return InvalidHandleValue;
}
BOOL TLinuxOs::ReadFile(HANDLE, void*, uint32_t, uint32_t*, void*) {
    SetThreadLastError(ErrorInvalidHandle);
    return 0;
}
BOOL TLinuxOs::WriteFile(HANDLE, const void*, uint32_t, uint32_t*, void*) {
    SetThreadLastError(ErrorInvalidHandle);
    return 0;
}
BOOL TLinuxOs::CloseHandle(HANDLE) {
    SetThreadLastError(ErrorInvalidHandle);
    return 0;
}
HANDLE TLinuxOs::AdoptDescriptor(int, uint16_t, uint16_t, bool) {
    return InvalidHandleValue;
}

}  // namespace KL_VRXOS
