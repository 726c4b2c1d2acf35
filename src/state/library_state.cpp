#include "state/library_state.h"

#include <mutex>
#include <new>

#include "state/state_lock.h"

namespace KL_VRXState {

namespace {

// Constant-initialised and never destroyed: a host's static destructors,
// and the C library's emulated bus at exit, may still count, delete or reset
// after the library's own statics are gone, and the state holds containers
// (the shared unit handles) that a destructor would have freed.
union TLastingState {
    constexpr TLastingState() : state() {}
    ~TLastingState() {}
    TLibraryState state;
};
constinit TLastingState lasting;

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
    lasting.state.transport = {};
    // The family claims stay: none is held between creations, and a reset
    // runs between them.
    lasting.state.protocol.familyIds = KL_VRXProtocol::TProtocolState{}.familyIds;
    lasting.state.api = {};
}

}  // namespace KL_VRXState

KL_VRXHid::TTransportState& KL_VRXHid::TransportState() {
    return KL_VRXState::lasting.state.transport;
}

KL_VRXProtocol::TProtocolState& KL_VRXProtocol::ProtocolState() {
    return KL_VRXState::lasting.state.protocol;
}

KL_VRXApi::TApiState& KL_VRXApi::ApiState() {
    return KL_VRXState::lasting.state.api;
}
