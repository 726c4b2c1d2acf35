// The units as the host sees them: both families counted for the exports,
// and the host's numbering over them (0 the simulated unit, then the family-1
// units, then the family-2 units).
#pragma once

#include <cstdint>

#include "controller/controller_status.h"

namespace KL_VRXApi {

// Counts the attached units of both families into n1 and n2 (0 first).
// Success, or CountFailed with the count's text in ProcessLastError.
KL_VRXController::VRXStatus CountHostUnits(uint32_t& n1, uint32_t& n2);

struct THostUnit {
    uint32_t family;  // 1 or 2
    int32_t index;    // within the family: 0 the simulated unit, 1, 2, ... real units
};

// Counts the attached units and turns hostIndex into a family and an index
// within it. When the count fails, the index stays as given, in family 1,
// and the count's text stays in ProcessLastError. Index 0 always gives the
// simulated unit of a family-2 controller.
THostUnit ResolveHostIndex(int32_t hostIndex);

}  // namespace KL_VRXApi
