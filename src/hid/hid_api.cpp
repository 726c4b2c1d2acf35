#include "hid/hid_api.h"

#include "hid/discovery.h"
#include "os/os.h"

THidApi HidApi = {};
std::unique_ptr<std::vector<std::string>> HidPathList =
    std::make_unique<std::vector<std::string>>();
TransportStatus LastTransportStatus = TransportStatus::Success;
uint32_t LastApiError = 0;

namespace {

KL_VRXOS::HMODULE libraryHandle = nullptr;
bool bound = false;

// Looks up one entry point by name into the table slot of its own type.
template <typename Fn>
void LookUp(Fn& slot, const char* name) {
    slot = reinterpret_cast<Fn>(KL_VRXOS::Os().GetProcAddress(libraryHandle, name));
}

}  // namespace

TransportStatus LoadHidApi() {
    TransportStatus result = TransportStatus::Success;
    if (!bound) {
        auto& os = KL_VRXOS::Os();
        if (libraryHandle == nullptr)
            libraryHandle = os.LoadLibraryA("hid.dll");
        if (libraryHandle == nullptr) {
            LastApiError = os.GetLastError();
            result = TransportStatus::ApiLoadFailed;
        } else {
            // All seven lookups run even when an early one fails, so the
            // error read afterwards belongs to the last lookup.
            LookUp(HidApi.HidD_GetHidGuid, "HidD_GetHidGuid");
            LookUp(HidApi.HidD_GetPreparsedData, "HidD_GetPreparsedData");
            LookUp(HidApi.HidD_FreePreparsedData, "HidD_FreePreparsedData");
            LookUp(HidApi.HidP_GetCaps, "HidP_GetCaps");
            LookUp(HidApi.HidD_GetSerialNumberString, "HidD_GetSerialNumberString");
            LookUp(HidApi.HidD_GetManufacturerString, "HidD_GetManufacturerString");
            LookUp(HidApi.HidD_GetProductString, "HidD_GetProductString");
            bound = HidApi.HidD_GetHidGuid != nullptr && HidApi.HidD_GetPreparsedData != nullptr &&
                    HidApi.HidD_FreePreparsedData != nullptr && HidApi.HidP_GetCaps != nullptr &&
                    HidApi.HidD_GetSerialNumberString != nullptr &&
                    HidApi.HidD_GetManufacturerString != nullptr &&
                    HidApi.HidD_GetProductString != nullptr;
            if (!bound) {
                LastApiError = os.GetLastError();
                result = TransportStatus::ApiLoadFailed;
            }
        }
    }
    if (!HidPathList)
        HidPathList = std::make_unique<std::vector<std::string>>();
    return result;
}

void UnloadHidApi() {
    if (libraryHandle != nullptr)
        KL_VRXOS::Os().FreeLibrary(libraryHandle);
    libraryHandle = nullptr;
    bound = false;
    HidPathList.reset();
}

bool IsHidApiBound() {
    return bound;
}

void ResetTransportState() {
    UnloadHidApi();
    HidApi = {};
    HidPathList = std::make_unique<std::vector<std::string>>();
    LastTransportStatus = TransportStatus::Success;
    LastApiError = 0;
    LastEnumerationStep = TEnumerationStep::None;
}
