// hid.dll on the emulated bus: LoadLibraryA, GetProcAddress, FreeLibrary,
// and the seven entry points that GetProcAddress hands out.
#include <cstdio>
#include <cstring>

#include "emulator/bus_core.h"
#include "os/pseudo_hid.h"

namespace KL_VRXEmu::Detail {

using namespace KL_VRXOS;

namespace {

// A module handle no real module has; only its identity matters.
HMODULE const HidModule = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7FFA0000u));

// The entry points reach whichever bus is live; after the bus is gone a
// stale pointer fails cleanly instead of touching freed state.
void KL_WINAPI EmuHidD_GetHidGuid(GUID* guid) {
    if (TBusCore* core = ActiveCore())
        core->HidGetGuid(guid);
}

BOOLEAN KL_WINAPI EmuHidD_GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* preparsed) {
    TBusCore* core = ActiveCore();
    return core != nullptr ? core->HidGetPreparsedData(device, preparsed)
                           : static_cast<BOOLEAN>(Fail(ErrorInvalidHandle));
}

BOOLEAN KL_WINAPI EmuHidD_FreePreparsedData(PHIDP_PREPARSED_DATA preparsed) {
    TBusCore* core = ActiveCore();
    return core != nullptr ? core->HidFreePreparsedData(preparsed)
                           : static_cast<BOOLEAN>(Fail(ErrorInvalidHandle));
}

NTSTATUS KL_WINAPI EmuHidP_GetCaps(PHIDP_PREPARSED_DATA preparsed, HIDP_CAPS* caps) {
    TBusCore* core = ActiveCore();
    return core != nullptr ? core->HidGetCaps(preparsed, caps) : HIDP_STATUS_INVALID_PREPARSED_DATA;
}

template <const char* Which>
BOOLEAN KL_WINAPI EmuHidD_GetString(HANDLE device, void* buffer, uint32_t bufferLength) {
    TBusCore* core = ActiveCore();
    return core != nullptr ? core->HidGetString(device, buffer, bufferLength, Which)
                           : static_cast<BOOLEAN>(Fail(ErrorInvalidHandle));
}

constexpr char SerialNumber[] = "serial";
constexpr char Manufacturer[] = "manufacturer";
constexpr char Product[] = "product";

struct TEntry {
    const char* name;
    FARPROC function;
};

const TEntry Entries[] = {
    {"HidD_GetHidGuid", reinterpret_cast<FARPROC>(&EmuHidD_GetHidGuid)},
    {"HidD_GetPreparsedData", reinterpret_cast<FARPROC>(&EmuHidD_GetPreparsedData)},
    {"HidD_FreePreparsedData", reinterpret_cast<FARPROC>(&EmuHidD_FreePreparsedData)},
    {"HidP_GetCaps", reinterpret_cast<FARPROC>(&EmuHidP_GetCaps)},
    {"HidD_GetSerialNumberString", reinterpret_cast<FARPROC>(&EmuHidD_GetString<SerialNumber>)},
    {"HidD_GetManufacturerString", reinterpret_cast<FARPROC>(&EmuHidD_GetString<Manufacturer>)},
    {"HidD_GetProductString", reinterpret_cast<FARPROC>(&EmuHidD_GetString<Product>)},
};

}  // namespace

FARPROC HidEntryPoint(const std::string& name) {
    for (const TEntry& e : Entries)
        if (name == e.name)
            return e.function;
    return nullptr;
}

// ---- Modules -------------------------------------------------------------------------------

HMODULE TBusCore::LoadLibraryA(const char* fileName) {
    std::lock_guard<std::mutex> lock(mutex);
    ++calls.loadLibrary;
    if (fileName == nullptr)
        return FailNull(ErrorInvalidParameter);
    if (!IsHidDllName(fileName) || !hidLibraryLoads)
        return FailNull(ErrorModNotFound);
    ++moduleReferences;
    return HidModule;
}

FARPROC TBusCore::GetProcAddress(HMODULE module, const char* procName) {
    std::lock_guard<std::mutex> lock(mutex);
    ++calls.getProcAddress;
    if (module != HidModule || moduleReferences == 0)
        return FailNull(ErrorInvalidHandle);
    if (procName == nullptr)
        return FailNull(ErrorProcNotFound);
    FARPROC entry = HidEntryPoint(procName);
    const auto present = entryPointPresent.find(procName);
    if (entry == nullptr || (present != entryPointPresent.end() && !present->second))
        return FailNull(ErrorProcNotFound);
    return entry;
}

BOOL TBusCore::FreeLibrary(HMODULE module) {
    std::lock_guard<std::mutex> lock(mutex);
    ++calls.freeLibrary;
    if (module != HidModule || moduleReferences == 0)
        return Fail(ErrorInvalidHandle);
    --moduleReferences;
    return 1;
}

// ---- hid.dll -------------------------------------------------------------------------------

void TBusCore::HidGetGuid(GUID* guid) {
    if (guid != nullptr)
        *guid = HidInterfaceClassGuid;
}

BOOLEAN TBusCore::HidGetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* preparsed) {
    std::lock_guard<std::mutex> lock(mutex);
    if (preparsed == nullptr)
        return static_cast<BOOLEAN>(Fail(ErrorInvalidParameter));
    bool readWrite = false;
    uint32_t error = 0;
    const TInterface* found = ResolveLocked(device, readWrite, error);
    if (found == nullptr)
        return static_cast<BOOLEAN>(Fail(error));
    TPreparsed data;
    if (found->unit != nullptr) {
        const TUnitFirmware& f = *found->unit->firmware;
        if (f.getCapsFails)
            return static_cast<BOOLEAN>(Fail(ErrorGenFailure));
        data = TPreparsed{f.inputLength, f.outputLength};
    } else {
        data = TPreparsed{5, 0};  // a mouse-like input-only collection
    }
    const uintptr_t key = nextKey;
    nextKey += 8;
    preparsedData[key] = data;
    *preparsed = reinterpret_cast<PHIDP_PREPARSED_DATA>(key);
    return 1;
}

BOOLEAN TBusCore::HidFreePreparsedData(PHIDP_PREPARSED_DATA preparsed) {
    std::lock_guard<std::mutex> lock(mutex);
    if (preparsedData.erase(Key(preparsed)) == 0)
        return static_cast<BOOLEAN>(Fail(ErrorInvalidParameter));
    return 1;
}

NTSTATUS TBusCore::HidGetCaps(PHIDP_PREPARSED_DATA preparsed, HIDP_CAPS* caps) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = preparsedData.find(Key(preparsed));
    if (it == preparsedData.end() || caps == nullptr)
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    *caps = HIDP_CAPS{};
    caps->UsagePage = 0xFF00;  // vendor-defined
    caps->Usage = 1;
    caps->InputReportByteLength = it->second.inputLength;
    caps->OutputReportByteLength = it->second.outputLength;
    return HIDP_STATUS_SUCCESS;
}

// Writes a NUL-terminated UTF-16LE string, as hid.dll's string queries do.
BOOLEAN TBusCore::HidGetString(HANDLE device, void* buffer, uint32_t bufferLength,
                               const char* which) {
    std::lock_guard<std::mutex> lock(mutex);
    bool readWrite = false;
    uint32_t error = 0;
    const TInterface* found = ResolveLocked(device, readWrite, error);
    if (found == nullptr)
        return static_cast<BOOLEAN>(Fail(error));
    std::string text;
    if (std::strcmp(which, SerialNumber) == 0) {
        char serial[24];
        std::snprintf(serial, sizeof serial, "%08llX",
                      static_cast<unsigned long long>(found->instance));
        text = serial;
    } else if (std::strcmp(which, Manufacturer) == 0) {
        text = "KL_VRX emulator";
    } else {
        text = found->unit != nullptr ? "Emulated VRX unit" : "HID device";
    }
    return WriteHidString(text, buffer, bufferLength);
}

}  // namespace KL_VRXEmu::Detail
