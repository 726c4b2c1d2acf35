#include "forwarding_os.h"

namespace KL_VRXBench {

using namespace KL_VRXOS;

template <typename F>
auto TForwardingOs::Through(bool report, F call) {
    Enter(report);
    struct TLeave {
        TForwardingOs& os;
        ~TLeave() { os.Leave(); }
    } leave{*this};
    return call();
}

HMODULE TForwardingOs::LoadLibraryA(const char* fileName) {
    return Through(false, [&] { return inner.LoadLibraryA(fileName); });
}

FARPROC TForwardingOs::GetProcAddress(HMODULE module, const char* procName) {
    return Through(false, [&] { return inner.GetProcAddress(module, procName); });
}

BOOL TForwardingOs::FreeLibrary(HMODULE module) {
    return Through(false, [&] { return inner.FreeLibrary(module); });
}

HDEVINFO TForwardingOs::SetupDiGetClassDevsW(const GUID* classGuid, const wchar_t* enumerator,
                                             HWND parent, uint32_t flags) {
    return Through(
        false, [&] { return inner.SetupDiGetClassDevsW(classGuid, enumerator, parent, flags); });
}

BOOL TForwardingOs::SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* devInfo,
                                                const GUID* interfaceClassGuid,
                                                uint32_t memberIndex,
                                                SP_DEVICE_INTERFACE_DATA* data) {
    return Through(false, [&] {
        return inner.SetupDiEnumDeviceInterfaces(set, devInfo, interfaceClassGuid, memberIndex,
                                                 data);
    });
}

BOOL TForwardingOs::SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                                     SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                                     uint32_t detailSize, uint32_t* requiredSize,
                                                     SP_DEVINFO_DATA* devInfo) {
    return Through(false, [&] {
        return inner.SetupDiGetDeviceInterfaceDetailA(set, data, detail, detailSize, requiredSize,
                                                      devInfo);
    });
}

BOOL TForwardingOs::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    return Through(false, [&] { return inner.SetupDiDestroyDeviceInfoList(set); });
}

HANDLE TForwardingOs::CreateFileA(const char* fileName, uint32_t desiredAccess, uint32_t shareMode,
                                  void* securityAttributes, uint32_t creationDisposition,
                                  uint32_t flagsAndAttributes, HANDLE templateFile) {
    return Through(false, [&] {
        return inner.CreateFileA(fileName, desiredAccess, shareMode, securityAttributes,
                                 creationDisposition, flagsAndAttributes, templateFile);
    });
}

BOOL TForwardingOs::ReadFile(HANDLE file, void* buffer, uint32_t bytesToRead, uint32_t* bytesRead,
                             void* overlapped) {
    return Through(
        true, [&] { return inner.ReadFile(file, buffer, bytesToRead, bytesRead, overlapped); });
}

BOOL TForwardingOs::WriteFile(HANDLE file, const void* buffer, uint32_t bytesToWrite,
                              uint32_t* bytesWritten, void* overlapped) {
    return Through(true, [&] {
        return inner.WriteFile(file, buffer, bytesToWrite, bytesWritten, overlapped);
    });
}

BOOL TForwardingOs::CloseHandle(HANDLE handle) {
    return Through(false, [&] { return inner.CloseHandle(handle); });
}

uint32_t TForwardingOs::GetLastError() {
    return Through(false, [&] { return inner.GetLastError(); });
}

uint32_t TForwardingOs::GetTickCount() {
    return Through(false, [&] { return inner.GetTickCount(); });
}

void TForwardingOs::Sleep(uint32_t ms) {
    Through(false, [&] { inner.Sleep(ms); });
}

uint32_t TForwardingOs::GetCurrentThreadId() {
    return Through(false, [&] { return inner.GetCurrentThreadId(); });
}

std::tm TForwardingOs::LocalTime() {
    return Through(false, [&] { return inner.LocalTime(); });
}

std::unique_ptr<TTextFile> TForwardingOs::OpenAppendTextFile(const std::string& windowsPath) {
    return Through(false, [&] { return inner.OpenAppendTextFile(windowsPath); });
}

}  // namespace KL_VRXBench
