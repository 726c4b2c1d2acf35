// The process-wide HID binding and the rest of the transport's process-wide
// state: the path list and the two status variables.
//
// hid.dll is loaded at run time, and its seven entry points are kept in
// HidApi. Binding is lazy and idempotent (LoadHidApi); every controller
// destruction unbinds (UnloadHidApi). Nothing here is locked: the library is
// driven by one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hid/transport_status.h"
#include "os/win_types.h"

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

extern THidApi HidApi;

// Device-interface paths of the latest enumeration, in enumeration order;
// null after UnloadHidApi until the next LoadHidApi.
extern std::unique_ptr<std::vector<std::string>> HidPathList;

// Status of the latest transport step, and the Windows error saved at the
// latest failing system call (never cleared on success).
extern TransportStatus LastTransportStatus;
extern uint32_t LastApiError;

// Binds hid.dll: 0 when bound (a check of two flags once bound: no system
// call, no allocation), 6 when the library or an entry point is missing.
// Creates an empty HidPathList when there is none. Does not write
// LastTransportStatus; its callers do.
TransportStatus LoadHidApi();

// Frees hid.dll and destroys HidPathList. The status variables stay.
void UnloadHidApi();

// True in the Bound state (library held, all seven entries found).
bool IsHidApiBound();

// Puts the transport's process-wide state back to what it is when the
// library is loaded: unbound (UnloadHidApi through the active OS), an empty
// path list, both status variables 0.
void ResetTransportState();
