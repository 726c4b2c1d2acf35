// The unit count as the exports run it: the counting itself is the
// controller layer's, the failure text goes to ProcessLastError here.
#pragma once

#include <cstdint>

// Runs CountAttachedUnits into n1 and n2 (set to 0 here first). 0 on
// success; 5 on failure, with the count's text in ProcessLastError.
uint32_t CountUnitsForExports(uint32_t& n1, uint32_t& n2);
