// USB identification of the two model families, and the process-wide
// FamilyIds of the current family.
#pragma once

#include <cstdint>

struct TFamilyIds {
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

// Rewritten by every controller creation; read by the channel when it
// switches launch modes, counts and opens. Load-time value: family 1's.
extern TFamilyIds FamilyIds;

// Puts FamilyIds and the transport's process-wide state back to their
// load-time values.
void ResetProtocolState();
