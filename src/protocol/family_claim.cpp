#include "protocol/family_claim.h"

#include <condition_variable>
#include <mutex>
#include <new>

#include "protocol/family_ids.h"

namespace KL_VRXProtocol {

namespace {

// The claims' lock and the change every waiter waits for. Made on first use
// and never destroyed, as the state lock: MinGW's mutex and condition
// variable have no constant initialiser, and a host's static destructors may
// still create controllers after the library's statics are gone. Never held
// across I/O: a claim is decided and released in a few instructions.
struct TClaimLock {
    std::mutex mutex;
    std::condition_variable changed;
};

TClaimLock& ClaimLock() {
    alignas(TClaimLock) static unsigned char storage[sizeof(TClaimLock)];
    static TClaimLock* const lock = ::new (static_cast<void*>(storage)) TClaimLock;
    return *lock;
}

}  // namespace

bool TryClaim(TClaims& claims, uint32_t family) {
    const uint32_t mine = family == 2 ? 2 : 1;
    const uint32_t other = 3 - mine;
    // Free, unless the other family waits for it; or held by this family,
    // unless the other family waits: it then goes first.
    const bool free = claims.holders == 0;
    if (claims.waiting != other && (free || claims.held == mine)) {
        ++claims.holders;
        claims.held = mine;
        if (claims.waiting == mine)
            claims.waiting = 0;
        return true;
    }
    if (claims.waiting == 0)
        claims.waiting = mine;
    return false;
}

void ReleaseClaim(TClaims& claims) {
    if (claims.holders > 0)
        --claims.holders;
}

TFamilyClaim::TFamilyClaim(uint32_t family) {
    TClaimLock& lock = ClaimLock();
    TClaims& claims = ProtocolState().familyClaims;
    std::unique_lock<std::mutex> guard(lock.mutex);
    lock.changed.wait(guard, [&] { return TryClaim(claims, family); });
}

TFamilyClaim::~TFamilyClaim() {
    TClaimLock& lock = ClaimLock();
    {
        const std::lock_guard<std::mutex> guard(lock.mutex);
        ReleaseClaim(ProtocolState().familyClaims);
    }
    lock.changed.notify_all();
}

}  // namespace KL_VRXProtocol
