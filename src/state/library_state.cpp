#include "state/library_state.h"

namespace KL_VRXState {

namespace {

constinit TLibraryState libraryState;

}  // namespace

void ResetLibraryState() {
    // Released through the layer that bound it, while the OS that bound it
    // is still the active one.
    KL_VRXHid::UnloadHidApi();
    libraryState.transport = {};
    libraryState.protocol = {};
    libraryState.api = {};
}

}  // namespace KL_VRXState

KL_VRXHid::TTransportState& KL_VRXHid::TransportState() {
    return KL_VRXState::libraryState.transport;
}

KL_VRXProtocol::TProtocolState& KL_VRXProtocol::ProtocolState() {
    return KL_VRXState::libraryState.protocol;
}

KL_VRXApi::TApiState& KL_VRXApi::ApiState() {
    return KL_VRXState::libraryState.api;
}
