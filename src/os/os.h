// The OS layer: the one contract between the library and an operating system.
//
// Every layer above reaches the system only through KL_VRXOS::Os(), with the
// Windows calls its algorithms name, Windows' argument meanings and Windows'
// error codes (GetLastError). Three implementations stand behind it:
//
//   win32    - the real Windows calls (Windows / MinGW builds);
//   linux    - hidraw and sysfs for HID, POSIX time and files;
//   emulator - a virtual clock and an emulated HID bus (src/emulator), active
//              while a KL_VRXEmu::TEmulatedBus exists.
//
// One implementation is active per process. The default is the real OS of the
// build; SetActiveOs() swaps it (the emulator does, nothing else should).
//
// Thread context: every call runs on the caller's thread and may block it
// (ReadFile for at most a read slice, WriteFile until the report is out,
// Sleep). GetLastError is per thread, as on Windows: it returns the
// error left by the latest failing call of the calling thread. Successful calls
// do not promise to clear it (callers only read it after a failure).
//
// The table below lists, for each call, what it does and how it fails. An
// implementation that cannot do something reports the Windows error code a
// Windows caller would see; none of them crashes on a null pointer, an unknown
// path or a closed handle.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>

#include "os/text_file.h"
#include "os/win_types.h"

namespace KL_VRXOS {

class KL_IOperatingSystem {
  public:
    virtual ~KL_IOperatingSystem() = default;

    // ---- Modules -------------------------------------------------------------

    // Loads a module of the system by its bare file name. Only "hid.dll" (any
    // case) is meaningful outside Windows; on Windows it comes from the system
    // directory only, never from the application's directory, the current
    // directory or PATH, where anyone could plant one. Returns a module
    // handle, or null with GetLastError 126 (ERROR_MOD_NOT_FOUND) when the
    // module cannot be loaded (also for a name with a directory part); null
    // name: 87. Each successful call takes one reference; FreeLibrary drops one.
    virtual HMODULE LoadLibraryA(const char* fileName) = 0;

    // Looks up an exported function of a loaded module by exact name. Returns
    // the entry point, or null with GetLastError 127 (ERROR_PROC_NOT_FOUND)
    // for an unknown name; null or unknown module: 6 (ERROR_INVALID_HANDLE).
    // The seven hid.dll entries return functions with the PFN_* signatures of
    // win_types.h; they stay callable until the module's last FreeLibrary.
    virtual FARPROC GetProcAddress(HMODULE module, const char* procName) = 0;

    // Drops one reference to a module. FALSE with 6 for a null or unknown handle.
    virtual BOOL FreeLibrary(HMODULE module) = 0;

    // ---- Setup API (HID interface enumeration) -------------------------------

    // Makes a device-information set of the present interfaces of one class.
    // The library passes the HID class GUID, no enumerator, no window and
    // flags 0x12 (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE). Returns the set, or
    // InvalidHandleValue with the failure's error (null GUID: 87).
    virtual HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, const wchar_t* enumerator,
                                          HWND parent, uint32_t flags) = 0;

    // Fills the interface record of member memberIndex (0, 1, ...) of the set.
    // FALSE with 259 (ERROR_NO_MORE_ITEMS) past the last member; 1784
    // (ERROR_INVALID_USER_BUFFER) when data->cbSize is not 32; 6 for a bad set;
    // 87 for a null record or a null GUID.
    virtual BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* devInfo,
                                             const GUID* interfaceClassGuid, uint32_t memberIndex,
                                             SP_DEVICE_INTERFACE_DATA* data) = 0;

    // Writes the interface's path into detail->DevicePath. The required size
    // (8 + path length + 1) goes to *requiredSize when that is not null. With
    // no buffer (detail null, size 0) it fails with 122
    // (ERROR_INSUFFICIENT_BUFFER) after reporting the size; a buffer smaller
    // than required also fails with 122; detail->cbSize other than 8: 1784;
    // detail null with a nonzero size: 1784; bad set: 6; a record that no
    // enumeration filled: 87.
    virtual BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                                  SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                                  uint32_t detailSize, uint32_t* requiredSize,
                                                  SP_DEVINFO_DATA* devInfo) = 0;

    // Frees a set. FALSE with 6 for a bad set.
    virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) = 0;

    // ---- Files and devices ---------------------------------------------------

    // Opens a device-interface path as the library does (read/write access,
    // shared read/write, OPEN_EXISTING, synchronous I/O: ReadFile and
    // WriteFile complete before they return, however an implementation waits
    // underneath). Returns the handle, or InvalidHandleValue with 2 (not
    // found), 3 (path not found), 5 (access denied), 1167 (device gone) or
    // another Windows code; a null path gives 3. Handles are closed with
    // CloseHandle.
    virtual HANDLE CreateFileA(const char* fileName, uint32_t desiredAccess, uint32_t shareMode,
                               void* securityAttributes, uint32_t creationDisposition,
                               uint32_t flagsAndAttributes, HANDLE templateFile) = 0;

    // Reads one input report of at most bytesToRead bytes, waiting for one at
    // most a read slice (ReadSliceMs unless the implementation was given
    // another; the emulator does not wait). Without a report in that time the
    // read succeeds with 0 bytes, and the caller polls again. *bytesRead gets
    // the count (0 on failure unless the device reported otherwise). A device
    // that goes away during the wait ends it at once with 1167. Failures: 6
    // bad handle, 87 null buffer or count pointer, 1167 device gone, 1784
    // (ERROR_INVALID_USER_BUFFER) buffer smaller than the device's input
    // report length, other device errors as Windows reports. Nothing is
    // allocated and no lock is held while it waits.
    virtual BOOL ReadFile(HANDLE file, void* buffer, uint32_t bytesToRead, uint32_t* bytesRead,
                          void* overlapped) = 0;

    // Writes one output report of bytesToWrite bytes (byte 0 the report ID).
    // *bytesWritten gets the count written. Failures: 6 bad handle, 87 null
    // pointers or a length below the output report length, 1784
    // (ERROR_INVALID_USER_BUFFER) a length of 0 or above it, 1167 device gone,
    // other device errors as Windows reports.
    virtual BOOL WriteFile(HANDLE file, const void* buffer, uint32_t bytesToWrite,
                           uint32_t* bytesWritten, void* overlapped) = 0;

    // Closes a handle from CreateFileA. FALSE with 6 for an invalid or closed handle.
    virtual BOOL CloseHandle(HANDLE handle) = 0;

    // The calling thread's last error (see the thread-context note above).
    virtual uint32_t GetLastError() = 0;

    // ---- Time and threads ----------------------------------------------------

    // Milliseconds since start as a 32-bit count that wraps after 49.7 days.
    virtual uint32_t GetTickCount() = 0;

    // Blocks for ms milliseconds; Sleep(0) gives up the rest of the time slice.
    virtual void Sleep(uint32_t ms) = 0;

    // The calling thread's id.
    virtual uint32_t GetCurrentThreadId() = 0;

    // The local date and time now.
    virtual std::tm LocalTime() = 0;

    // ---- Log file ------------------------------------------------------------

    // Opens a Windows path (such as "C:\VRXHIDLog.log") for appending text:
    // created when missing, existing text kept, every write at the end, each
    // "\n" stored as CR LF. Never null; Good() is false when the file could
    // not be opened (nothing is created then).
    virtual std::unique_ptr<TTextFile> OpenAppendTextFile(const std::string& windowsPath) = 0;
};

// The longest a report read of the real backends waits before it returns
// empty. A unit on a full-speed USB link answers within a frame or two, so a
// slice of several frames only ever expires on a silent unit; and since the
// reply time-out is checked between reads, it ends at most one slice (plus the
// channel's 5 ms pause) late, under 1% of a 3000 ms time-out.
inline constexpr uint32_t ReadSliceMs = 10;

// The active implementation.
KL_IOperatingSystem& Os();

// Makes an implementation active; null restores the build's real OS. The
// caller keeps ownership and keeps it alive while it is active.
void SetActiveOs(KL_IOperatingSystem* os);

// The build's real OS (Win32 on Windows, Linux elsewhere); defined by the
// platform's implementation.
KL_IOperatingSystem& DefaultOs();

// Per-thread last error for implementations that are not Windows itself.
uint32_t ThreadLastError();
void SetThreadLastError(uint32_t error);

}  // namespace KL_VRXOS
