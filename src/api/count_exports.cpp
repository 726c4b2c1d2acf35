#include "KL_VRX/KL_VRX.h"
#include "api/process_last_error.h"
#include "api/unit_count.h"

namespace {

constexpr uint32_t StatusCountFailed = 5;
constexpr uint32_t StatusInvalidPointer = 513;

}  // namespace

extern "C" {

KL_VRX_API uint32_t KL_VRX_CALL GetVRXDeviceCount(uint32_t* count) {
    // Refused before any lookup: a count that cannot be delivered is not worth
    // the enumeration.
    if (count == nullptr) {
        SetProcessLastError("Couldn't count VRX devices: Invalid pointer!");
        return StatusInvalidPointer;
    }
    // The enumeration allocates; nothing thrown may reach a C caller.
    try {
        uint32_t n1 = 0;
        uint32_t n2 = 0;
        if (CountUnitsForExports(n1, n2) != 0)
            return StatusCountFailed;
        *count = n1 + n2 + 1;  // the simulated unit is always there
        return 0;
    } catch (...) {
        SetProcessLastError("Out of memory while counting VRX devices.");
        return StatusCountFailed;
    }
}

KL_VRX_API const char* KL_VRX_CALL GetLastVRXDLLError() {
    return ProcessLastError;
}

}  // extern "C"
