// Counting the attached units of both model families under both product IDs.
#pragma once

#include <cstdint>

namespace KL_VRXController {

struct TAttachedUnits {
    uint32_t family1 = 0;
    uint32_t family2 = 0;
    // 0 when counted; 1 when both lookups of the first pass (first product
    // IDs) failed, 2 when both of the second pass did.
    unsigned failedPass = 0;
};

// Counts family-1 and family-2 units, each under both product IDs of its
// family. One failed lookup per pass is tolerated (it counts 0); both
// failing ends the count. After a failed second pass the counts are the
// first pass's.
TAttachedUnits CountAttachedUnits();

}  // namespace KL_VRXController
