// An OS layer that passes every call on to another one: the base of the
// stand-ins a benchmark puts in front of the active OS to watch every call
// (counting).
#pragma once

#include "os/os.h"

namespace KL_VRXBench {

class TForwardingOs : public KL_VRXOS::KL_IOperatingSystem {
  public:
    // inner is only used from the first call on, so a derived class may pass
    // a member of its own.
    explicit TForwardingOs(KL_VRXOS::KL_IOperatingSystem& inner) : inner(inner) {}

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
    uint32_t GetTickCount() override;
    void Sleep(uint32_t ms) override;
    uint32_t GetCurrentThreadId() override;
    std::tm LocalTime() override;
    std::unique_ptr<KL_VRXOS::TTextFile> OpenAppendTextFile(
        const std::string& windowsPath) override;

  protected:
    // Around every forwarded call (nothing here): report is true for report
    // writes and reads.
    virtual void Enter(bool /*report*/) {}
    virtual void Leave() {}

  private:
    template <typename F>
    auto Through(bool report, F call);

    KL_VRXOS::KL_IOperatingSystem& inner;
};

}  // namespace KL_VRXBench
