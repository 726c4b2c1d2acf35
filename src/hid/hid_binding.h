// The binding of hid.dll and the rest of the transport's part of the library
// state: the path list and the status variables.
//
// hid.dll is loaded at run time, and its seven entry points are kept in
// hidApi. Binding is lazy and idempotent (LoadHidApi); every controller
// destruction unbinds (UnloadHidApi). The part lives in the one library state
// object (state/library_state.h) and is reached only through TransportState().
//
// Threads. Binding, unbinding and the path list belong to the state lock
// (state/state_lock.h), and so does every call into hid.dll: a caller takes
// the lock, binds with LoadHidApi(lock) and calls the entry points of
// HidApi(lock) before it lets go. Since UnloadHidApi takes the same lock,
// hid.dll is never freed while a thread is inside one of its entry points.
// Report I/O needs none of them: it runs on system handles, which outlive an
// unbinding, and takes no lock. The status variables are shared values that
// any thread overwrites (the latest step of any thread, as ever).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hid/transport_status.h"
#include "os/win_types.h"
#include "state/shared_value.h"
#include "state/state_lock.h"

namespace KL_VRXHid {

class TUnitHandle;

// The seven entry points, in lookup order. Valid only while bound, and called
// only with the state lock held (HidApi).
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
    // ---- Under the state lock ----
    KL_VRXOS::HMODULE library = nullptr;  // hid.dll while it is loaded
    THidApi hidApi = {};
    // Device-interface paths of the latest enumeration, in enumeration order;
    // absent after UnloadHidApi until the next LoadHidApi.
    std::optional<std::vector<std::string>> hidPathList{std::in_place};
    // The units' handles the controllers of the process share, at most one
    // live and unretired per path (hid/unit_handle.h).
    std::vector<std::weak_ptr<TUnitHandle>> unitHandles;

    // ---- Shared values, read and written without the lock ----
    // Library held and all seven entries found: written under the lock, read
    // without it by the quick check every transport step starts with.
    KL_VRXState::TSharedValue<bool> bound = false;
    // Status of the latest transport step.
    KL_VRXState::TSharedValue<TransportStatus> lastTransportStatus = TransportStatus::Success;
    // The Windows error saved at the latest failing system call, and the
    // enumeration step of the latest failing enumeration; neither is cleared
    // on success.
    KL_VRXState::TSharedValue<uint32_t> lastApiError = 0;
    KL_VRXState::TSharedValue<TEnumerationStep> lastEnumerationStep = TEnumerationStep::None;
};

// The transport's part of the library state.
TTransportState& TransportState();

// Binds hid.dll: Success when bound, ApiLoadFailed when the library or an
// entry point is missing. Creates an empty path list when there is none.
// Does not write lastTransportStatus; its callers do.
//
// Without the lock: once bound, a check of one flag (no lock, no system
// call, no allocation), enough for a step that goes on with report I/O
// only; otherwise it takes the lock to bind.
TransportStatus LoadHidApi();
// With the lock held: the binding stays until the caller lets go, so the
// entry points may be called (HidApi).
TransportStatus LoadHidApi(const KL_VRXState::TStateLock& lock);

// hid.dll's entry points, after LoadHidApi(lock) returned Success under the
// same lock.
const THidApi& HidApi(const KL_VRXState::TStateLock& lock);

// Frees hid.dll (through the active OS) and drops the path list. The status
// variables stay. Waits for any thread inside hid.dll or discovery.
void UnloadHidApi();
void UnloadHidApi(const KL_VRXState::TStateLock& lock);

// True in the Bound state (library held, all seven entries found).
bool IsHidApiBound();

}  // namespace KL_VRXHid
