#include "api/host_index.h"

#include "api/unit_count.h"

THostUnit ResolveHostIndex(int32_t hostIndex) {
    THostUnit unit{1, hostIndex};
    uint32_t n1 = 0;
    uint32_t n2 = 0;
    // Signed comparison: a negative index stays in family 1, where opening
    // refuses it.
    if (CountUnitsForExports(n1, n2) == 0 && static_cast<int64_t>(hostIndex) > n1) {
        unit.family = 2;
        unit.index = static_cast<int32_t>(hostIndex - static_cast<int64_t>(n1));
    }
    if (unit.index == 0)
        unit.family = 2;
    return unit;
}
