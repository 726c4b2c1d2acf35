// The binding of hid.dll and the rest of the transport's part of the library
// state: the path list and the status variables.
//
// hid.dll is loaded at run time, and its seven entry points are kept in
// hidApi. Binding is lazy and idempotent (LoadHidApi); every controller
// destruction unbinds (UnloadHidApi). The part lives in the one library state
// object (state/library_state.h) and is reached only through TransportState().
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "hid/transport_status.h"
#include "os/win_types.h"

namespace KL_VRXHid {

// The seven entry points, in lookup order. Valid only while IsHidApiBound().
struct THidApi {
    KL_VRXOS::PFN_HidD_GetHidGuid HidD_GetHidGuid;
    KL_VRXOS::PFN_HidD_GetPreparsedData HidD_GetPreparsedData;
    KL_VRXOS::PFN_HidD_FreePreparsedData HidD_FreePreparsedData;
    KL_VRXOS::PFN_HidP_GetCaps HidP_GetCaps;
    KL_VRXOS::PFN_HidD_GetString HidD_GetSerialNumberString;
    KL_VRXOS::PFN_HidD_GetString HidD_GetManufacturerString;
    KL_VRXOS::PFN_HidD_GetString HidD_GetProductString;
};

// The Setup API step at which the latest failing enumeration failed, saved
// with lastApiError so that the text of TransportStatus::EnumerationFailed
// tells which call the API error belongs to.
enum class TEnumerationStep : uint32_t {
    None = 0,
    DeviceSet = 1,        // SetupDiGetClassDevsW
    InterfaceList = 2,    // SetupDiEnumDeviceInterfaces
    InterfaceDetail = 3,  // SetupDiGetDeviceInterfaceDetailA
};

// The transport's process-wide state, at its load-time values.
struct TTransportState {
    KL_VRXOS::HMODULE library = nullptr;  // hid.dll while it is loaded
    bool bound = false;                   // library held and all seven entries found
    THidApi hidApi = {};
    // Device-interface paths of the latest enumeration, in enumeration order;
    // absent after UnloadHidApi until the next LoadHidApi.
    std::optional<std::vector<std::string>> hidPathList{std::in_place};
    // Status of the latest transport step.
    TransportStatus lastTransportStatus = TransportStatus::Success;
    // The Windows error saved at the latest failing system call, and the
    // enumeration step of the latest failing enumeration; neither is cleared
    // on success.
    uint32_t lastApiError = 0;
    TEnumerationStep lastEnumerationStep = TEnumerationStep::None;
};

// The transport's part of the library state.
TTransportState& TransportState();

// Binds hid.dll: Success when bound (a check of two flags once bound: no
// system call, no allocation), ApiLoadFailed when the library or an entry
// point is missing. Creates an empty path list when there is none. Does not
// write lastTransportStatus; its callers do.
TransportStatus LoadHidApi();

// Frees hid.dll (through the active OS) and drops the path list. The status
// variables stay.
void UnloadHidApi();

// True in the Bound state (library held, all seven entries found).
bool IsHidApiBound();

}  // namespace KL_VRXHid
