// hid.dll on Linux: a pseudo module whose seven entry points answer from the
// device table that CreateFileA fills.
#include <atomic>
#include <cstring>
#include <string>

#include "os/linux/device_table.h"
#include "os/linux/linux_os.h"
#include "os/pseudo_hid.h"

namespace KL_VRXOS {

namespace {

// The module handle is the address of this tag; references are process-wide
// like a Windows module's.
char hidModuleTag;
std::atomic<uint32_t> hidModuleReferences{0};

HMODULE HidModule() {
    return &hidModuleTag;
}

void KL_WINAPI HidDGetHidGuid(GUID* hidGuid) {
    if (hidGuid != nullptr)
        *hidGuid = HidInterfaceClassGuid;
}

BOOLEAN KL_WINAPI HidDGetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* preparsedData) {
    if (preparsedData == nullptr) {
        SetThreadLastError(ErrorInvalidParameter);
        return 0;
    }
    const auto entry = FindDevice(device);
    if (!entry) {
        SetThreadLastError(ErrorInvalidHandle);
        return 0;
    }
    // A node whose report descriptor could not be read has no caps to give.
    if (!entry->lengthsKnown) {
        SetThreadLastError(ErrorGenFailure);
        return 0;
    }
    HIDP_CAPS caps{};
    caps.UsagePage = entry->usagePage;
    caps.Usage = entry->usage;
    caps.InputReportByteLength = entry->inputLength;
    caps.OutputReportByteLength = entry->outputLength;
    caps.FeatureReportByteLength = entry->featureLength;
    *preparsedData = AddPreparsed(caps);
    return 1;
}

BOOLEAN KL_WINAPI HidDFreePreparsedData(PHIDP_PREPARSED_DATA preparsedData) {
    if (!RemovePreparsed(preparsedData)) {
        SetThreadLastError(ErrorInvalidParameter);
        return 0;
    }
    return 1;
}

NTSTATUS KL_WINAPI HidPGetCaps(PHIDP_PREPARSED_DATA preparsedData, HIDP_CAPS* caps) {
    HIDP_CAPS found{};
    if (caps == nullptr || !FindPreparsed(preparsedData, &found))
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    *caps = found;
    return HIDP_STATUS_SUCCESS;
}

BOOLEAN KL_WINAPI HidDGetProductString(HANDLE device, void* buffer, uint32_t bufferLength) {
    const auto entry = FindDevice(device);
    if (!entry) {
        SetThreadLastError(ErrorInvalidHandle);
        return 0;
    }
    if (entry->name.empty()) {
        SetThreadLastError(ErrorGenFailure);
        return 0;
    }
    return WriteHidString(entry->name, buffer, bufferLength);
}

// hidraw offers no cheap way to the serial number or the manufacturer.
BOOLEAN KL_WINAPI HidDGetUnavailableString(HANDLE device, void*, uint32_t) {
    SetThreadLastError(FindDevice(device) ? ErrorGenFailure : ErrorInvalidHandle);
    return 0;
}

struct TExport {
    const char* name;
    FARPROC entry;
};

const TExport Exports[] = {
    {"HidD_GetHidGuid", reinterpret_cast<FARPROC>(&HidDGetHidGuid)},
    {"HidD_GetPreparsedData", reinterpret_cast<FARPROC>(&HidDGetPreparsedData)},
    {"HidD_FreePreparsedData", reinterpret_cast<FARPROC>(&HidDFreePreparsedData)},
    {"HidP_GetCaps", reinterpret_cast<FARPROC>(&HidPGetCaps)},
    {"HidD_GetSerialNumberString", reinterpret_cast<FARPROC>(&HidDGetUnavailableString)},
    {"HidD_GetManufacturerString", reinterpret_cast<FARPROC>(&HidDGetUnavailableString)},
    {"HidD_GetProductString", reinterpret_cast<FARPROC>(&HidDGetProductString)},
};

}  // namespace

HMODULE TLinuxOs::LoadLibraryA(const char* fileName) {
    if (fileName == nullptr) {
        SetThreadLastError(ErrorInvalidParameter);
        return nullptr;
    }
    if (!IsHidDllName(fileName)) {
        SetThreadLastError(ErrorModNotFound);
        return nullptr;
    }
    hidModuleReferences.fetch_add(1);
    return HidModule();
}

FARPROC TLinuxOs::GetProcAddress(HMODULE module, const char* procName) {
    if (module != HidModule() || hidModuleReferences.load() == 0) {
        SetThreadLastError(ErrorInvalidHandle);
        return nullptr;
    }
    if (procName != nullptr)
        for (const TExport& e : Exports)
            if (std::strcmp(e.name, procName) == 0)
                return e.entry;
    SetThreadLastError(ErrorProcNotFound);
    return nullptr;
}

BOOL TLinuxOs::FreeLibrary(HMODULE module) {
    uint32_t references = hidModuleReferences.load();
    do {
        if (module != HidModule() || references == 0) {
            SetThreadLastError(ErrorInvalidHandle);
            return 0;
        }
    } while (!hidModuleReferences.compare_exchange_weak(references, references - 1));
    return 1;
}

}  // namespace KL_VRXOS
