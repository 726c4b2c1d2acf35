// The claims creations hold on the current family (TFamilyClaim).
//
// One 32-bit word holds all of it, so a claim is taken and let go with one
// atomic exchange and needs no lock of its own: the number of holders (bits
// 0 to 15), the family they hold (bits 16 and 17) and the family that waits
// its turn (bits 18 and 19, 0 when none does).
#include "protocol/family_ids.h"

namespace KL_VRXProtocol {

namespace {

constexpr uint32_t HolderMask = 0xFFFF;
constexpr unsigned HeldShift = 16;
constexpr unsigned WaitingShift = 18;

uint32_t Holders(uint32_t claims) {
    return claims & HolderMask;
}
uint32_t Held(uint32_t claims) {
    return claims >> HeldShift & 3;
}
uint32_t Waiting(uint32_t claims) {
    return claims >> WaitingShift & 3;
}
uint32_t Claims(uint32_t holders, uint32_t held, uint32_t waiting) {
    return holders | held << HeldShift | waiting << WaitingShift;
}

}  // namespace

TFamilyClaim::TFamilyClaim(uint32_t family) {
    std::atomic<uint32_t>& claims = ProtocolState().familyClaims;
    const uint32_t mine = family == 2 ? 2 : 1;
    const uint32_t other = 3 - mine;
    uint32_t now = claims.load(std::memory_order_acquire);
    for (;;) {
        const uint32_t waiting = Waiting(now);
        // Free, unless the other family waits for it; or held by this family,
        // unless the other family waits: it then goes first.
        const bool free = Holders(now) == 0 && waiting != other;
        const bool joined = Holders(now) > 0 && Held(now) == mine && waiting != other;
        if (free || joined) {
            const uint32_t next = Claims(Holders(now) + 1, mine, waiting == mine ? 0 : waiting);
            if (claims.compare_exchange_weak(now, next, std::memory_order_acq_rel,
                                             std::memory_order_acquire))
                return;
            continue;
        }
        if (waiting == 0) {
            // Make the wait known, so the holding family's new claims queue
            // behind this one.
            const uint32_t next = now | mine << WaitingShift;
            if (!claims.compare_exchange_weak(now, next, std::memory_order_acq_rel,
                                              std::memory_order_acquire))
                continue;
            now = next;
        }
        claims.wait(now, std::memory_order_acquire);
        now = claims.load(std::memory_order_acquire);
    }
}

TFamilyClaim::~TFamilyClaim() {
    std::atomic<uint32_t>& claims = ProtocolState().familyClaims;
    claims.fetch_sub(1, std::memory_order_acq_rel);
    claims.notify_all();
}

}  // namespace KL_VRXProtocol
