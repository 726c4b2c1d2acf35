// The host's numbering of units: 0 the simulated unit, then the family-1
// units, then the family-2 units.
#pragma once

#include <cstdint>

struct THostUnit {
    uint32_t family;  // 1 or 2
    int32_t index;    // within the family: 0 the simulated unit, 1, 2, ... real units
};

// Counts the attached units and turns hostIndex into a family and an index
// within it. When the count fails, the index stays as given, in family 1,
// and the count's text stays in ProcessLastError. Index 0 always gives the
// simulated unit of a family-2 controller.
THostUnit ResolveHostIndex(int32_t hostIndex);
