// The OS layer on Windows: every call goes straight to the system.
//
// Two differences from calling Windows directly. Arguments Windows would
// dereference without checking (a null count pointer, a null record) are
// refused first with the error code the contract names, so a bad caller gets
// a status instead of an access violation. And device I/O is overlapped
// underneath, so that a report read can give up after a slice (see
// CreateFileA and ReadFile in win32_os.cpp); to the library every call still
// completes before it returns.
#pragma once

#include "os/os.h"

namespace KL_VRXOS {

class TWin32Os final : public KL_IOperatingSystem {
  public:
    // readSliceMs: the longest a report read waits before it returns empty.
    explicit TWin32Os(uint32_t readSliceMs = ReadSliceMs) : readSliceMs(readSliceMs) {}

    HMODULE LoadLibraryA(const char* fileName) override;
    FARPROC GetProcAddress(HMODULE module, const char* procName) override;
    BOOL FreeLibrary(HMODULE module) override;

    HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, const wchar_t* enumerator, HWND parent,
                                  uint32_t flags) override;
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* devInfo,
                                     const GUID* interfaceClassGuid, uint32_t memberIndex,
                                     SP_DEVICE_INTERFACE_DATA* data) override;
    BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                          SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                          uint32_t detailSize, uint32_t* requiredSize,
                                          SP_DEVINFO_DATA* devInfo) override;
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;

    HANDLE CreateFileA(const char* fileName, uint32_t desiredAccess, uint32_t shareMode,
                       void* securityAttributes, uint32_t creationDisposition,
                       uint32_t flagsAndAttributes, HANDLE templateFile) override;
    BOOL ReadFile(HANDLE file, void* buffer, uint32_t bytesToRead, uint32_t* bytesRead,
                  void* overlapped) override;
    BOOL WriteFile(HANDLE file, const void* buffer, uint32_t bytesToWrite, uint32_t* bytesWritten,
                   void* overlapped) override;
    BOOL CloseHandle(HANDLE handle) override;
    uint32_t GetLastError() override;

    uint32_t GetTickCount() override;
    void Sleep(uint32_t ms) override;
    uint32_t GetCurrentThreadId() override;
    std::tm LocalTime() override;

    std::unique_ptr<TTextFile> OpenAppendTextFile(const std::string& windowsPath) override;

  private:
    const uint32_t readSliceMs;
};

}  // namespace KL_VRXOS
