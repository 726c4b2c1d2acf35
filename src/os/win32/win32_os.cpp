#include "os/win32/win32_os.h"

#include <cstddef>

#include <ctime>
#include "os/win32/system_library.h"

// Included after everything else, so no Windows macro reaches the other
// headers.
#include "os/win32/windows_api.h"

#include <hidsdi.h>
#include <setupapi.h>

namespace KL_VRXOS {

// Our records are handed to Windows as they are; these keep them in step with
// the system's own declarations.
static_assert(sizeof(GUID) == sizeof(::GUID));
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == sizeof(::SP_DEVICE_INTERFACE_DATA));
static_assert(offsetof(SP_DEVICE_INTERFACE_DATA, InterfaceClassGuid) ==
              offsetof(::SP_DEVICE_INTERFACE_DATA, InterfaceClassGuid));
static_assert(offsetof(SP_DEVICE_INTERFACE_DATA, Flags) ==
              offsetof(::SP_DEVICE_INTERFACE_DATA, Flags));
static_assert(offsetof(SP_DEVICE_INTERFACE_DATA, Reserved) ==
              offsetof(::SP_DEVICE_INTERFACE_DATA, Reserved));
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) ==
              sizeof(::SP_DEVICE_INTERFACE_DETAIL_DATA_A));
static_assert(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) ==
              offsetof(::SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath));
static_assert(sizeof(SP_DEVINFO_DATA) == sizeof(::SP_DEVINFO_DATA));
static_assert(offsetof(SP_DEVINFO_DATA, DevInst) == offsetof(::SP_DEVINFO_DATA, DevInst));
static_assert(sizeof(HIDP_CAPS) == sizeof(::HIDP_CAPS));
static_assert(offsetof(HIDP_CAPS, OutputReportByteLength) ==
              offsetof(::HIDP_CAPS, OutputReportByteLength));
static_assert(offsetof(HIDP_CAPS, NumberFeatureDataIndices) ==
              offsetof(::HIDP_CAPS, NumberFeatureDataIndices));
static_assert(sizeof(BOOL) == sizeof(::BOOL));
static_assert(DigcfPresent == DIGCF_PRESENT && DigcfDeviceInterface == DIGCF_DEVICEINTERFACE);
static_assert(ErrorNoMoreItems == ERROR_NO_MORE_ITEMS &&
              ErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER &&
              ErrorInvalidUserBuffer == ERROR_INVALID_USER_BUFFER &&
              ErrorDeviceNotConnected == ERROR_DEVICE_NOT_CONNECTED);

namespace {

// Fails a call the way Windows fails it, without reaching the system.
BOOL Refuse(uint32_t error) {
    ::SetLastError(error);
    return FALSE;
}

HANDLE RefuseHandle(uint32_t error) {
    ::SetLastError(error);
    return InvalidHandleValue;
}

bool IsBadHandle(HANDLE handle) {
    return handle == nullptr || handle == InvalidHandleValue;
}

const ::GUID* ToWin(const GUID* guid) {
    return reinterpret_cast<const ::GUID*>(guid);
}

}  // namespace

// ---- Modules ---------------------------------------------------------------------------------

// From the system directory only: a module of the same name in the host's
// directory or the current one is never looked at.
HMODULE TWin32Os::LoadLibraryA(const char* fileName) {
    return LoadSystemLibrary(fileName, SupportedSystemDirectorySearch());
}

FARPROC TWin32Os::GetProcAddress(HMODULE module, const char* procName) {
    // Windows takes a null module as the executable itself, and a null name as
    // ordinal 0; neither is a lookup the library means to make.
    if (module == nullptr) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (procName == nullptr) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(::GetProcAddress(static_cast<::HMODULE>(module), procName));
}

BOOL TWin32Os::FreeLibrary(HMODULE module) {
    if (module == nullptr)
        return Refuse(ERROR_INVALID_HANDLE);
    return ::FreeLibrary(static_cast<::HMODULE>(module));
}

// ---- Setup API -------------------------------------------------------------------------------

HDEVINFO TWin32Os::SetupDiGetClassDevsW(const GUID* classGuid, const wchar_t* enumerator,
                                        HWND parent, uint32_t flags) {
    if (classGuid == nullptr && (flags & DIGCF_ALLCLASSES) == 0) {
        return RefuseHandle(ERROR_INVALID_PARAMETER);
    }
    return ::SetupDiGetClassDevsW(ToWin(classGuid), enumerator, static_cast<::HWND>(parent), flags);
}

BOOL TWin32Os::SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* devInfo,
                                           const GUID* interfaceClassGuid, uint32_t memberIndex,
                                           SP_DEVICE_INTERFACE_DATA* data) {
    if (IsBadHandle(set))
        return Refuse(ERROR_INVALID_HANDLE);
    if (data == nullptr || interfaceClassGuid == nullptr)
        return Refuse(ERROR_INVALID_PARAMETER);
    return ::SetupDiEnumDeviceInterfaces(set, reinterpret_cast<::SP_DEVINFO_DATA*>(devInfo),
                                         ToWin(interfaceClassGuid), memberIndex,
                                         reinterpret_cast<::SP_DEVICE_INTERFACE_DATA*>(data));
}

BOOL TWin32Os::SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                                SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                                uint32_t detailSize, uint32_t* requiredSize,
                                                SP_DEVINFO_DATA* devInfo) {
    if (IsBadHandle(set))
        return Refuse(ERROR_INVALID_HANDLE);
    if (data == nullptr)
        return Refuse(ERROR_INVALID_PARAMETER);
    // Windows writes a DWORD; copying through a local keeps the uint32_t
    // caller clear of type-punning. A size Windows leaves alone stays as the
    // caller set it.
    DWORD required = requiredSize != nullptr ? *requiredSize : 0;
    const BOOL ok = ::SetupDiGetDeviceInterfaceDetailA(
        set, reinterpret_cast<::SP_DEVICE_INTERFACE_DATA*>(data),
        reinterpret_cast<::SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(detail), detailSize,
        requiredSize != nullptr ? &required : nullptr,
        reinterpret_cast<::SP_DEVINFO_DATA*>(devInfo));
    if (requiredSize != nullptr)
        *requiredSize = required;
    return ok;
}

BOOL TWin32Os::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    if (IsBadHandle(set))
        return Refuse(ERROR_INVALID_HANDLE);
    return ::SetupDiDestroyDeviceInfoList(set);
}

// ---- Files and devices -----------------------------------------------------------------------

HANDLE TWin32Os::CreateFileA(const char* fileName, uint32_t desiredAccess, uint32_t shareMode,
                             void* securityAttributes, uint32_t creationDisposition,
                             uint32_t flagsAndAttributes, HANDLE templateFile) {
    if (fileName == nullptr)
        return RefuseHandle(ERROR_PATH_NOT_FOUND);
    return ::CreateFileA(fileName, desiredAccess, shareMode,
                         static_cast<LPSECURITY_ATTRIBUTES>(securityAttributes),
                         creationDisposition, flagsAndAttributes, templateFile);
}

BOOL TWin32Os::ReadFile(HANDLE file, void* buffer, uint32_t bytesToRead, uint32_t* bytesRead,
                        void* overlapped) {
    if (IsBadHandle(file))
        return Refuse(ERROR_INVALID_HANDLE);
    if (buffer == nullptr || bytesRead == nullptr)
        return Refuse(ERROR_INVALID_PARAMETER);
    DWORD count = 0;
    const BOOL ok =
        ::ReadFile(file, buffer, bytesToRead, &count, static_cast<LPOVERLAPPED>(overlapped));
    *bytesRead = count;
    return ok;
}

BOOL TWin32Os::WriteFile(HANDLE file, const void* buffer, uint32_t bytesToWrite,
                         uint32_t* bytesWritten, void* overlapped) {
    if (IsBadHandle(file))
        return Refuse(ERROR_INVALID_HANDLE);
    if (buffer == nullptr || bytesWritten == nullptr)
        return Refuse(ERROR_INVALID_PARAMETER);
    DWORD count = 0;
    const BOOL ok =
        ::WriteFile(file, buffer, bytesToWrite, &count, static_cast<LPOVERLAPPED>(overlapped));
    *bytesWritten = count;
    return ok;
}

BOOL TWin32Os::CloseHandle(HANDLE handle) {
    // INVALID_HANDLE_VALUE is also the current process's pseudo-handle, which
    // Windows would "close" successfully.
    if (IsBadHandle(handle))
        return Refuse(ERROR_INVALID_HANDLE);
    return ::CloseHandle(handle);
}

uint32_t TWin32Os::GetLastError() {
    return ::GetLastError();
}

// ---- Time and threads ------------------------------------------------------------------------

uint32_t TWin32Os::GetTickCount() {
    return ::GetTickCount();
}

void TWin32Os::Sleep(uint32_t ms) {
    ::Sleep(ms);
}

uint32_t TWin32Os::GetCurrentThreadId() {
    return ::GetCurrentThreadId();
}

std::tm TWin32Os::LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    return local;
}

// ---- Log file --------------------------------------------------------------------------------

std::unique_ptr<TTextFile> TWin32Os::OpenAppendTextFile(const std::string& windowsPath) {
    return std::make_unique<TTextFile>(windowsPath);
}

KL_IOperatingSystem& DefaultOs() {
    // Stateless, so one instance serves every thread; built on first use so
    // it exists before any static object of a host can call in.
    static TWin32Os os;
    return os;
}

}  // namespace KL_VRXOS
