// The Linux implementation of the OS layer: POSIX time and files, and HID
// devices through hidraw nodes found in sysfs.
//
// A report read waits for the node with poll() for at most one read slice
// and then reads what came; a slice without a report is a successful read of
// 0 bytes, which the channel polls again until its reply time-out. So a unit
// that stops answering costs a time-out, never a thread, and one that leaves
// the bus ends the wait at once (its node polls readable and the read fails).
//
// Device handles, preparsed data and module references are process-wide (as
// on Windows), so the hid.dll entry points, which are plain functions without
// an object, reach them from any TLinuxOs.
#pragma once

#include <cstdint>
#include <string>

#include "os/interface_sets.h"
#include "os/os.h"

namespace KL_VRXOS {

class TLinuxOs : public KL_IOperatingSystem {
  public:
    // sysRoot and devRoot replace "/sys" and "/dev", so a fake tree can stand
    // in for the machine's devices; readSliceMs is the longest a report read
    // waits (0: it only looks).
    explicit TLinuxOs(std::string sysRoot = "/sys", std::string devRoot = "/dev",
                      uint32_t readSliceMs = ReadSliceMs);
    ~TLinuxOs() override;

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

    // Test hook: takes ownership of an open descriptor (a socketpair end, say)
    // and makes it a device handle with the given report lengths. numbered
    // tells whether the device's reports carry a report ID on the wire.
    HANDLE AdoptDescriptor(int fd, uint16_t inputLength, uint16_t outputLength, bool numbered);

  private:
    std::string sysRoot;
    std::string devRoot;
    int readSliceMs;

    // Device-information sets: each holds the interface paths found when it
    // was made.
    TInterfaceSets sets;
};

}  // namespace KL_VRXOS
