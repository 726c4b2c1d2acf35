#include "state/library_state.h"

namespace KL_VRXState {

namespace {

constinit TLibraryState libraryState;

}  // namespace

void ResetLibraryState() {
    KL_VRXHid::UnloadHidApi();
    libraryState = TLibraryState{};
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
