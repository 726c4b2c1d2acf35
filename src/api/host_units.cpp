#include "api/host_units.h"

#include "api/process_last_error.h"
#include "controller/attached_units.h"

namespace KL_VRXApi {

using KL_VRXController::VRXStatus;

VRXStatus CountHostUnits(uint32_t& n1, uint32_t& n2) {
    const KL_VRXController::TAttachedUnits units = KL_VRXController::CountAttachedUnits();
    n1 = units.family1;
    n2 = units.family2;
    switch (units.failedPass) {
        case 0:
            return VRXStatus::Success;
        case 1:
            SetProcessLastError("Communication with device failed - 0x01!");
            return VRXStatus::CountFailed;
        default:
            SetProcessLastError("Communication with device failed - 0x02!");
            return VRXStatus::CountFailed;
    }
}

THostUnit ResolveHostIndex(int32_t hostIndex) {
    THostUnit unit{1, hostIndex};
    uint32_t n1 = 0;
    uint32_t n2 = 0;
    // Signed comparison: a negative index stays in family 1, where opening
    // refuses it.
    if (CountHostUnits(n1, n2) == VRXStatus::Success && static_cast<int64_t>(hostIndex) > n1) {
        unit.family = 2;
        unit.index = static_cast<int32_t>(hostIndex - static_cast<int64_t>(n1));
    }
    if (unit.index == 0)
        unit.family = 2;
    return unit;
}

}  // namespace KL_VRXApi
