#include "umockdev/virtual_time_os.h"

#include "state/library_state.h"

namespace KL_VRXTest {

using namespace KL_VRXOS;

TVirtualTimeOs::TVirtualTimeOs(TVirtualClock& clock) : clock(clock) {
    KL_VRXState::ResetLibraryState();
    SetActiveOs(this);
}

TVirtualTimeOs::~TVirtualTimeOs() {
    // Unbind through this object while it is still the active OS.
    KL_VRXState::ResetLibraryState();
    SetActiveOs(nullptr);
}

HMODULE TVirtualTimeOs::LoadLibraryA(const char* fileName) {
    return real.LoadLibraryA(fileName);
}

FARPROC TVirtualTimeOs::GetProcAddress(HMODULE module, const char* procName) {
    return real.GetProcAddress(module, procName);
}

BOOL TVirtualTimeOs::FreeLibrary(HMODULE module) {
    return real.FreeLibrary(module);
}

HDEVINFO TVirtualTimeOs::SetupDiGetClassDevsW(const GUID* classGuid, const wchar_t* enumerator,
                                              HWND parent, uint32_t flags) {
    return real.SetupDiGetClassDevsW(classGuid, enumerator, parent, flags);
}

BOOL TVirtualTimeOs::SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* devInfo,
                                                 const GUID* interfaceClassGuid,
                                                 uint32_t memberIndex,
                                                 SP_DEVICE_INTERFACE_DATA* data) {
    return real.SetupDiEnumDeviceInterfaces(set, devInfo, interfaceClassGuid, memberIndex, data);
}

BOOL TVirtualTimeOs::SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                                      SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                                      uint32_t detailSize, uint32_t* requiredSize,
                                                      SP_DEVINFO_DATA* devInfo) {
    return real.SetupDiGetDeviceInterfaceDetailA(set, data, detail, detailSize, requiredSize,
                                                 devInfo);
}

BOOL TVirtualTimeOs::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    return real.SetupDiDestroyDeviceInfoList(set);
}

HANDLE TVirtualTimeOs::CreateFileA(const char* fileName, uint32_t desiredAccess, uint32_t shareMode,
                                   void* securityAttributes, uint32_t creationDisposition,
                                   uint32_t flagsAndAttributes, HANDLE templateFile) {
    return real.CreateFileA(fileName, desiredAccess, shareMode, securityAttributes,
                            creationDisposition, flagsAndAttributes, templateFile);
}

BOOL TVirtualTimeOs::ReadFile(HANDLE file, void* buffer, uint32_t bytesToRead, uint32_t* bytesRead,
                              void* overlapped) {
    return real.ReadFile(file, buffer, bytesToRead, bytesRead, overlapped);
}

BOOL TVirtualTimeOs::WriteFile(HANDLE file, const void* buffer, uint32_t bytesToWrite,
                               uint32_t* bytesWritten, void* overlapped) {
    return real.WriteFile(file, buffer, bytesToWrite, bytesWritten, overlapped);
}

BOOL TVirtualTimeOs::CloseHandle(HANDLE handle) {
    return real.CloseHandle(handle);
}

uint32_t TVirtualTimeOs::GetLastError() {
    return real.GetLastError();
}

uint32_t TVirtualTimeOs::GetCurrentThreadId() {
    return real.GetCurrentThreadId();
}

std::tm TVirtualTimeOs::LocalTime() {
    return real.LocalTime();
}

std::unique_ptr<TTextFile> TVirtualTimeOs::OpenAppendTextFile(const std::string& windowsPath) {
    return real.OpenAppendTextFile(windowsPath);
}

uint32_t TVirtualTimeOs::GetTickCount() {
    return static_cast<uint32_t>(clock.Now());
}

void TVirtualTimeOs::Sleep(uint32_t ms) {
    clock.Advance(ms);
}

}  // namespace KL_VRXTest
