#include "hid/hid_binding.h"

#include "os/os.h"

namespace KL_VRXHid {

namespace {

// Looks up one entry point by name into the table slot of its own type.
template <typename Fn>
void LookUp(KL_VRXOS::HMODULE library, Fn& slot, const char* name) {
    slot = reinterpret_cast<Fn>(KL_VRXOS::Os().GetProcAddress(library, name));
}

}  // namespace

TransportStatus LoadHidApi() {
    // A thread that sees the binding complete goes on without the lock: if
    // another thread unbinds meanwhile, this step's report I/O needs nothing
    // of hid.dll, and its next step binds again.
    if (TransportState().bound.Load())
        return TransportStatus::Success;
    const KL_VRXState::TStateLock lock;
    return LoadHidApi(lock);
}

TransportStatus LoadHidApi(const KL_VRXState::TStateLock&) {
    TTransportState& state = TransportState();
    TransportStatus result = TransportStatus::Success;
    if (!state.bound.Load()) {
        auto& os = KL_VRXOS::Os();
        if (state.library == nullptr)
            state.library = os.LoadLibraryA("hid.dll");
        if (state.library == nullptr) {
            state.lastApiError = os.GetLastError();
            result = TransportStatus::ApiLoadFailed;
        } else {
            // All seven lookups run even when an early one fails, so the
            // error read afterwards belongs to the last lookup.
            THidApi& api = state.hidApi;
            LookUp(state.library, api.HidD_GetHidGuid, "HidD_GetHidGuid");
            LookUp(state.library, api.HidD_GetPreparsedData, "HidD_GetPreparsedData");
            LookUp(state.library, api.HidD_FreePreparsedData, "HidD_FreePreparsedData");
            LookUp(state.library, api.HidP_GetCaps, "HidP_GetCaps");
            LookUp(state.library, api.HidD_GetSerialNumberString, "HidD_GetSerialNumberString");
            LookUp(state.library, api.HidD_GetManufacturerString, "HidD_GetManufacturerString");
            LookUp(state.library, api.HidD_GetProductString, "HidD_GetProductString");
            const bool complete =
                api.HidD_GetHidGuid != nullptr && api.HidD_GetPreparsedData != nullptr &&
                api.HidD_FreePreparsedData != nullptr && api.HidP_GetCaps != nullptr &&
                api.HidD_GetSerialNumberString != nullptr &&
                api.HidD_GetManufacturerString != nullptr && api.HidD_GetProductString != nullptr;
            if (!complete) {
                state.lastApiError = os.GetLastError();
                result = TransportStatus::ApiLoadFailed;
            }
            state.bound = complete;
        }
    }
    if (!state.hidPathList)
        state.hidPathList.emplace();
    return result;
}

const THidApi& HidApi(const KL_VRXState::TStateLock&) {
    return TransportState().hidApi;
}

void UnloadHidApi() {
    const KL_VRXState::TStateLock lock;
    UnloadHidApi(lock);
}

void UnloadHidApi(const KL_VRXState::TStateLock&) {
    TTransportState& state = TransportState();
    state.bound = false;
    if (state.library != nullptr)
        KL_VRXOS::Os().FreeLibrary(state.library);
    state.library = nullptr;
    state.hidPathList.reset();
}

bool IsHidApiBound() {
    return TransportState().bound.Load();
}

}  // namespace KL_VRXHid
