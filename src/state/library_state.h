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
// KL_VRXApi::ApiState). The object and those accessors are defined together
// in library_state.cpp, the one place that knows every part, and so the one
// place where a process-wide lock guarding the state belongs.
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
// no binding points into an OS that is gone.
void ResetLibraryState();

}  // namespace KL_VRXState
