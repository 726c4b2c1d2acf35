// The real Linux OS layer on a virtual clock, for host-level tests that run
// on emulated hidraw devices.
//
// Every module, enumeration, device and file call goes to a TLinuxOs on the
// machine's own /sys and /dev (which umockdev redirects to its testbed);
// only GetTickCount and Sleep are virtual, so the library's 5 s launch-mode
// pauses, 5 ms polls and 3 s reply time-outs cost no real time.
#pragma once

#include <atomic>
#include <cstdint>

#include "os/linux/linux_os.h"

namespace KL_VRXTest {

// Milliseconds that only Sleep advances, shared by the host's OS layer and
// the fake units' firmware (for their register transitions).
class TVirtualClock {
  public:
    uint64_t Now() const { return now.load(); }
    void Advance(uint32_t ms) { now.fetch_add(ms); }

  private:
    std::atomic<uint64_t> now{0};
};

// While it lives, the library's OS. Constructing and destroying it each put
// the library's process-wide state back to its load-time values, so every
// test starts from a freshly loaded library and no binding outlives it.
class TVirtualTimeOs final : public KL_VRXOS::KL_IOperatingSystem {
  public:
    explicit TVirtualTimeOs(TVirtualClock& clock);
    ~TVirtualTimeOs() override;
    TVirtualTimeOs(const TVirtualTimeOs&) = delete;
    TVirtualTimeOs& operator=(const TVirtualTimeOs&) = delete;

    KL_VRXOS::HMODULE LoadLibraryA(const char* fileName) override;
    KL_VRXOS::FARPROC GetProcAddress(KL_VRXOS::HMODULE module, const char* procName) override;
    KL_VRXOS::BOOL FreeLibrary(KL_VRXOS::HMODULE module) override;
    KL_VRXOS::HDEVINFO SetupDiGetClassDevsW(const KL_VRXOS::GUID* classGuid,
                                            const wchar_t* enumerator, KL_VRXOS::HWND parent,
                                            uint32_t flags) override;
    KL_VRXOS::BOOL SetupDiEnumDeviceInterfaces(KL_VRXOS::HDEVINFO set,
                                               KL_VRXOS::SP_DEVINFO_DATA* devInfo,
                                               const KL_VRXOS::GUID* interfaceClassGuid,
                                               uint32_t memberIndex,
                                               KL_VRXOS::SP_DEVICE_INTERFACE_DATA* data) override;
    KL_VRXOS::BOOL SetupDiGetDeviceInterfaceDetailA(
        KL_VRXOS::HDEVINFO set, KL_VRXOS::SP_DEVICE_INTERFACE_DATA* data,
        KL_VRXOS::SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, uint32_t detailSize,
        uint32_t* requiredSize, KL_VRXOS::SP_DEVINFO_DATA* devInfo) override;
    KL_VRXOS::BOOL SetupDiDestroyDeviceInfoList(KL_VRXOS::HDEVINFO set) override;
    KL_VRXOS::HANDLE CreateFileA(const char* fileName, uint32_t desiredAccess, uint32_t shareMode,
                                 void* securityAttributes, uint32_t creationDisposition,
                                 uint32_t flagsAndAttributes,
                                 KL_VRXOS::HANDLE templateFile) override;
    KL_VRXOS::BOOL ReadFile(KL_VRXOS::HANDLE file, void* buffer, uint32_t bytesToRead,
                            uint32_t* bytesRead, void* overlapped) override;
    KL_VRXOS::BOOL WriteFile(KL_VRXOS::HANDLE file, const void* buffer, uint32_t bytesToWrite,
                             uint32_t* bytesWritten, void* overlapped) override;
    KL_VRXOS::BOOL CloseHandle(KL_VRXOS::HANDLE handle) override;
    uint32_t GetLastError() override;
    uint32_t GetCurrentThreadId() override;
    std::tm LocalTime() override;
    std::unique_ptr<KL_VRXOS::TTextFile> OpenAppendTextFile(
        const std::string& windowsPath) override;

    // The virtual ones: the tick count is the clock's milliseconds (wrapping
    // at 32 bits); Sleep(n) returns at once and adds exactly n.
    uint32_t GetTickCount() override;
    void Sleep(uint32_t ms) override;

  private:
    TVirtualClock& clock;
    KL_VRXOS::TLinuxOs real;
};

}  // namespace KL_VRXTest
