// The claims creations hold on the current family, and the rule that admits
// a claim.
//
// A creation holds the family from its family set-up to the end of its open:
// while one is held, no creation of the other family sets up its own, so the
// open counts and opens in the family it was made for. Creations of one
// family share the hold (they write the same identifiers); one of the other
// family waits until the last of them lets go, and from then on the family
// that waited comes first. Opens and counts of existing controllers take no
// claim: they use whatever family was set up last.
#pragma once

#include <cstdint>

namespace KL_VRXProtocol {

// Who holds the family and who waits for it.
struct TClaims {
    uint32_t holders = 0;  // creations holding now
    uint32_t held = 0;     // the family they hold (1 or 2; stale while holders is 0)
    uint32_t waiting = 0;  // the family waiting its turn, 0 when none does
};

// One attempt of family (2, or 1 for any other value) to hold: true when it
// now holds, claims updated. false when it must wait; its wait is then
// recorded (unless another is), so new claims of the holding family queue
// behind it.
bool TryClaim(TClaims& claims, uint32_t family);

// One holder lets go.
void ReleaseClaim(TClaims& claims);

// A creation's hold, taken with TryClaim under the claims' lock; waits on a
// condition variable while TryClaim says to (no atomic wait: MinGW's has
// lost wake-ups).
class TFamilyClaim {
  public:
    // Waits until family (1 or 2) can be held, and holds it.
    [[nodiscard]] explicit TFamilyClaim(uint32_t family);
    ~TFamilyClaim();

    TFamilyClaim(const TFamilyClaim&) = delete;
    TFamilyClaim& operator=(const TFamilyClaim&) = delete;
};

}  // namespace KL_VRXProtocol
