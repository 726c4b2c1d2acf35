// The library's process-wide state: one object with a part per layer, and
// one reset.
//
//   transport  the binding of hid.dll (HidApi), the path list (HidPathList),
//              LastTransportStatus, LastApiError and the failing enumeration
//              step (hid/hid_binding.h)
//   protocol   FamilyIds, the identifiers of the current family
//              (protocol/family_ids.h)
//   api        ProcessLastError, the exports' last-error text
//              (api/process_last_error.h)
//
// A layer sees its own part only, through the accessor its own header
// declares (KL_VRXHid::TransportState, KL_VRXProtocol::ProtocolState,
// KL_VRXApi::ApiState). The object, those accessors and the state's one
// process-wide lock (state/state_lock.h) are defined together in
// library_state.cpp, the one place that knows every part.
//
// What guards what:
//   state lock     hid.dll's binding and entry points, the path list, and
//                  the writes of ProcessLastError
//   shared values  LastTransportStatus, LastApiError, the failing
//                  enumeration step, the bound flag and FamilyIds: read and
//                  written whole by any thread (state/shared_value.h)
//   family claims  a creation's family set-up and open against other
//                  creations (KL_VRXProtocol::TFamilyClaim)
//
// The object is constant-initialised: it holds its load-time values before
// any dynamic initialiser runs, so a host's static objects may call in early.
#pragma once

#include "api/process_last_error.h"
#include "hid/hid_binding.h"
#include "protocol/family_ids.h"

namespace KL_VRXState {

struct TLibraryState {
    KL_VRXHid::TTransportState transport;
    KL_VRXProtocol::TProtocolState protocol;
    KL_VRXApi::TApiState api;
};

// Puts every part back to its load-time value, as when the library is loaded:
// hid.dll released (through the active OS) and unbound, an empty path list,
// both status variables 0, FamilyIds of family 1, an empty ProcessLastError.
// The emulator calls it whenever it takes over or hands back the OS, so that
// no binding points into an OS that is gone. Takes the state lock.
void ResetLibraryState();

}  // namespace KL_VRXState
