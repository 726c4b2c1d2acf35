// The state of an emulated bus and the OS-layer implementation that serves
// it. One object per TEmulatedBus; while it lives it is the active OS.
//
// Every call takes the core's lock for its bookkeeping and releases it
// before any real sleep, so a Real-clock bus can be driven from several
// threads. The calls are defined over several files by concern: modules and
// hid.dll (emulated_modules.cpp), SetupAPI (emulated_setupapi.cpp), device
// handles and reports (emulated_devices.cpp), time, threads and files
// (emulated_system.cpp), and the bus's own bookkeeping (bus_core.cpp).
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "KL_VRX/emulator.h"
#include "emulator/unit_firmware.h"
#include "os/interface_sets.h"
#include "os/os.h"

namespace KL_VRXEmu::Detail {

// One HID interface as the enumeration shows it. A unit that re-enumerates
// or is detached leaves its interface behind: handles opened on it die.
struct TInterface {
    uint64_t instance = 0;  // unique per appearance on the bus
    std::string path;       // lower-case
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    TEmulatedUnit* unit = nullptr;  // null: a foreign interface
};

class TBusCore final : public KL_VRXOS::KL_IOperatingSystem {
  public:
    explicit TBusCore(TClock clock);
    ~TBusCore() override;

    // ---- The bus's own operations (TEmulatedBus, TEmulatedUnit) -------------
    TEmulatedUnit& AttachUnit(unsigned family, unsigned launchMode);
    void Detach(TEmulatedUnit& unit);
    void AttachForeign(uint16_t vendorId, uint16_t productId);
    std::vector<std::string> InterfacePaths() const;
    uint32_t Tick() const;
    void SetTick(uint32_t tick);
    TCallCounts Calls() const;
    TOpenObjects OpenObjects() const;

    // Runs f on a unit's firmware under the lock, with pending transitions
    // settled at the current time.
    template <typename F>
    auto WithFirmware(const TEmulatedUnit& unit, F f) const {
        std::lock_guard<std::mutex> lock(mutex);
        unit.firmware->Settle(NowLocked());
        return f(*unit.firmware);
    }

    // Fault switches of the bus (read under the lock by the calls).
    mutable std::mutex mutex;
    bool hidLibraryLoads = true;
    std::map<std::string, bool> entryPointPresent;
    uint32_t classDevsError = 0;
    unsigned classDevsAllowed = 0;  // calls that still succeed before the error
    uint32_t enumerationError = 0;
    std::map<size_t, uint32_t> detailErrors;
    uint32_t reportLatency = 0;
    std::string driveRoot = ".";

    // ---- KL_IOperatingSystem -------------------------------------------------
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

    // ---- hid.dll, reached through the entry points GetProcAddress hands out --
    void HidGetGuid(KL_VRXOS::GUID* guid);
    KL_VRXOS::BOOLEAN HidGetPreparsedData(KL_VRXOS::HANDLE device,
                                          KL_VRXOS::PHIDP_PREPARSED_DATA* preparsed);
    KL_VRXOS::BOOLEAN HidFreePreparsedData(KL_VRXOS::PHIDP_PREPARSED_DATA preparsed);
    KL_VRXOS::NTSTATUS HidGetCaps(KL_VRXOS::PHIDP_PREPARSED_DATA preparsed,
                                  KL_VRXOS::HIDP_CAPS* caps);
    KL_VRXOS::BOOLEAN HidGetString(KL_VRXOS::HANDLE device, void* buffer, uint32_t bufferLength,
                                   const char* which);

  private:
    // What a handle refers to: an interface appearance, whether it was
    // opened for I/O, and the input reports it has not read yet. As both
    // kernels do, every handle open for I/O gets its own copy of each input
    // report the unit sends while it is open.
    struct THandle {
        uint64_t instance = 0;
        bool readWrite = false;
        TReportQueue inbox;
    };
    struct TPreparsed {
        uint16_t inputLength = 0;
        uint16_t outputLength = 0;
    };

    uint64_t NowLocked() const;
    uint32_t TickLocked() const;
    void AdvanceLocked(uint32_t ms);
    void RealSleep(uint32_t ms) const;
    std::string MakePath(uint16_t vendorId, uint16_t productId);
    void Append(TEmulatedUnit* unit, uint16_t vendorId, uint16_t productId);
    const TInterface* FindInterface(uint64_t instance) const;
    // The live interface behind a handle, or null with the error to report
    // (6 unknown handle, 1167 interface gone).
    const TInterface* ResolveLocked(KL_VRXOS::HANDLE handle, bool& readWrite,
                                    uint32_t& error) const;
    // The unit behind a handle opened for report I/O, or null with the error
    // to report (also 87 for a null buffer or count, 5 for a foreign device).
    TEmulatedUnit* IoUnitLocked(KL_VRXOS::HANDLE file, const void* buffer, const uint32_t* count,
                                uint32_t& error) const;
    void Reenumerate(TEmulatedUnit& unit);
    // Moves the replies the firmware has just queued to the inbox of every
    // handle open for I/O on its present appearance.
    void DeliverLocked(TUnitFirmware& firmware);
    static uintptr_t Key(const void* handle) { return reinterpret_cast<uintptr_t>(handle); }

    const TClock clock;
    const std::chrono::steady_clock::time_point epoch;
    uint64_t virtualNow = 0;  // monotonic ms, Virtual clock only
    uint32_t tickOffset = 0;  // tick = now + offset (mod 2^32)

    TCallCounts calls;
    unsigned moduleReferences = 0;

    std::vector<std::unique_ptr<TEmulatedUnit>> units;
    std::vector<TInterface> interfaces;
    uint64_t nextInstance = 1;

    uintptr_t nextKey = 0x10000;  // handles and preparsed data share one count
    std::map<uintptr_t, THandle> handles;
    KL_VRXOS::TInterfaceSets sets;
    std::map<uintptr_t, TPreparsed> preparsedData;
};

// The core of the live bus (null when none), for the hid.dll entry points.
TBusCore* ActiveCore();

// The hid.dll entry point of that name, or null for an unknown name.
KL_VRXOS::FARPROC HidEntryPoint(const std::string& name);

// Fails the current call: sets the thread's last error, returns FALSE.
inline KL_VRXOS::BOOL Fail(uint32_t error) {
    KL_VRXOS::SetThreadLastError(error);
    return 0;
}

// Fails a call that returns a pointer: sets the thread's last error, returns null.
inline std::nullptr_t FailNull(uint32_t error) {
    KL_VRXOS::SetThreadLastError(error);
    return nullptr;
}

// Fails a call that returns a handle: sets the thread's last error, returns
// INVALID_HANDLE_VALUE.
inline KL_VRXOS::HANDLE FailInvalidHandle(uint32_t error) {
    KL_VRXOS::SetThreadLastError(error);
    return KL_VRXOS::InvalidHandleValue;
}

}  // namespace KL_VRXEmu::Detail
