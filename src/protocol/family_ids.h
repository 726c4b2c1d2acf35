// USB identification of the two model families, and the protocol's part of
// the library state: FamilyIds, the identifiers of the current family, and
// the claims that creations hold on it.
#pragma once

#include <cstdint>

#include "protocol/family_claim.h"
#include "state/shared_value.h"

namespace KL_VRXProtocol {

// Aligned as a 64-bit word, so every compiler reads and writes it as one
// lock-free atomic value (clang otherwise calls into libatomic).
struct alignas(uint64_t) TFamilyIds {
    uint16_t vendorIdFirst;
    uint16_t vendorIdSecond;
    uint16_t productIdFirst;   // launch mode 2
    uint16_t productIdSecond;  // the other launch mode
};

inline constexpr uint16_t VRXVendorId = 0x3C5A;

// The identifiers of family 1 or 2 (family 1's for any other value).
constexpr TFamilyIds FamilyIdsOf(uint32_t family) {
    return family == 2 ? TFamilyIds{VRXVendorId, VRXVendorId, 0x0E58, 0x0E57}
                       : TFamilyIds{VRXVendorId, VRXVendorId, 0x0E32, 0x0E31};
}

// The protocol's process-wide state, at its load-time values.
struct TProtocolState {
    // Rewritten by every controller creation (SelectFamily); read by the
    // channel when it switches launch modes, counts and opens. All four
    // identifiers are read and written as one value.
    KL_VRXState::TSharedValue<TFamilyIds> familyIds = FamilyIdsOf(1);
    // The creations between their family set-up and the end of their open
    // (TFamilyClaim): how many, of which family, and which family waits.
    // Guarded by the claims' own lock (family_claim.cpp).
    TClaims familyClaims;
};

// The protocol's part of the library state.
TProtocolState& ProtocolState();

// The current family's identifiers, read afresh at each use: another
// controller may change the family meanwhile.
inline TFamilyIds CurrentFamilyIds() {
    return ProtocolState().familyIds.Load();
}

// Makes family 1 or 2 (family 1 for any other value) the current family of
// every channel in the process.
inline void SelectFamily(uint32_t family) {
    ProtocolState().familyIds = FamilyIdsOf(family);
}

}  // namespace KL_VRXProtocol
