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

// The library opens a unit for synchronous I/O, and on such a handle
// ReadFile waits until the device sends a report: for ever on a unit that
// stays attached but stops answering, with no way to give up. So every handle
// is opened for overlapped I/O here instead, whatever the caller's flags say,
// and ReadFile and WriteFile below wait for their own operation: the library
// keeps its synchronous view, while a read can be cancelled when its slice
// ends (CancelIoEx needs an overlapped handle to cancel one operation of one
// thread).
HANDLE TWin32Os::CreateFileA(const char* fileName, uint32_t desiredAccess, uint32_t shareMode,
                             void* securityAttributes, uint32_t creationDisposition,
                             uint32_t flagsAndAttributes, HANDLE templateFile) {
    if (fileName == nullptr)
        return RefuseHandle(ERROR_PATH_NOT_FOUND);
    return ::CreateFileA(
        fileName, desiredAccess, shareMode, static_cast<LPSECURITY_ATTRIBUTES>(securityAttributes),
        creationDisposition, flagsAndAttributes | FILE_FLAG_OVERLAPPED, templateFile);
}

// Without an event in the OVERLAPPED record, Windows signals the handle itself
// when the operation ends. That is sound here because a handle carries one
// operation at a time (the library drives a unit from one thread, and a write
// has ended before the next read starts), and it needs no event object per
// call or per thread.
BOOL TWin32Os::ReadFile(HANDLE file, void* buffer, uint32_t bytesToRead, uint32_t* bytesRead,
                        void* overlapped) {
    if (IsBadHandle(file))
        return Refuse(ERROR_INVALID_HANDLE);
    if (buffer == nullptr || bytesRead == nullptr)
        return Refuse(ERROR_INVALID_PARAMETER);
    *bytesRead = 0;
    if (overlapped != nullptr)  // the caller runs the operation itself
        return ::ReadFile(file, buffer, bytesToRead, nullptr,
                          static_cast<LPOVERLAPPED>(overlapped));
    OVERLAPPED pending{};
    DWORD count = 0;
    bool cancelled = false;
    if (!::ReadFile(file, buffer, bytesToRead, nullptr, &pending)) {
        if (::GetLastError() != ERROR_IO_PENDING)
            return FALSE;
        // The operation must have ended before this frame goes, so a wait
        // that fails cancels as well. A report that arrives between the wait
        // and the cancel completes the read and is kept.
        if (::WaitForSingleObject(file, readSliceMs) != WAIT_OBJECT_0)
            cancelled = ::CancelIoEx(file, &pending) != FALSE;
    }
    // Ends at once: the read has completed, been cancelled here or been
    // failed by an unplug (1167).
    const BOOL ok = ::GetOverlappedResult(file, &pending, &count, TRUE);
    *bytesRead = count;
    if (!ok && cancelled && ::GetLastError() == ERROR_OPERATION_ABORTED) {
        *bytesRead = 0;
        return TRUE;  // the slice ended without a report: an empty read
    }
    return ok;
}

BOOL TWin32Os::WriteFile(HANDLE file, const void* buffer, uint32_t bytesToWrite,
                         uint32_t* bytesWritten, void* overlapped) {
    if (IsBadHandle(file))
        return Refuse(ERROR_INVALID_HANDLE);
    if (buffer == nullptr || bytesWritten == nullptr)
        return Refuse(ERROR_INVALID_PARAMETER);
    *bytesWritten = 0;
    if (overlapped != nullptr)
        return ::WriteFile(file, buffer, bytesToWrite, nullptr,
                           static_cast<LPOVERLAPPED>(overlapped));
    // A report write ends when the report is out: waited for in full.
    OVERLAPPED pending{};
    DWORD count = 0;
    if (!::WriteFile(file, buffer, bytesToWrite, nullptr, &pending) &&
        ::GetLastError() != ERROR_IO_PENDING)
        return FALSE;
    const BOOL ok = ::GetOverlappedResult(file, &pending, &count, TRUE);
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
