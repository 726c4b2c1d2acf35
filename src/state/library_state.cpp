#include "state/library_state.h"

#include <mutex>
#include <new>

#include "state/state_lock.h"

namespace KL_VRXState {

namespace {

constinit TLibraryState libraryState;

// The state's lock, made on first use and never destroyed: MinGW's
// std::mutex has no constant initialiser, so it cannot sit in the
// constant-initialised object, and a host's static destructors may still
// count or delete controllers after the library's own statics are gone.
std::mutex& StateMutex() {
    alignas(std::mutex) static unsigned char storage[sizeof(std::mutex)];
    static std::mutex* const mutex = ::new (static_cast<void*>(storage)) std::mutex;
    return *mutex;
}

}  // namespace

TStateLock::TStateLock() {
    StateMutex().lock();
}

TStateLock::~TStateLock() {
    StateMutex().unlock();
}

void ResetLibraryState() {
    const TStateLock lock;
    // Released through the layer that bound it, while the OS that bound it
    // is still the active one.
    KL_VRXHid::UnloadHidApi(lock);
    libraryState.transport = {};
    // The family claims stay: none is held between creations, and a reset
    // runs between them.
    libraryState.protocol.familyIds = KL_VRXProtocol::TProtocolState{}.familyIds;
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
