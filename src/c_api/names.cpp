// The C interface's names of statuses and reasons, and the library's version.
#include <cstdint>
#include <iterator>

#include "KL_VRX/KL_VRX_c.h"

namespace {

struct TStatusName {
    uint32_t status;
    const char* name;
};

constexpr TStatusName StatusNames[] = {
    {KL_VRX_OK, "KL_VRX_OK"},
    {KL_VRX_NOT_OPEN, "KL_VRX_NOT_OPEN"},
    {KL_VRX_OPEN_FAILED, "KL_VRX_OPEN_FAILED"},
    {KL_VRX_COMMAND_FAILED, "KL_VRX_COMMAND_FAILED"},
    {KL_VRX_INDEX_OUT_OF_RANGE, "KL_VRX_INDEX_OUT_OF_RANGE"},
    {KL_VRX_POSITION_OUT_OF_RANGE, "KL_VRX_POSITION_OUT_OF_RANGE"},
    {KL_VRX_INVALID_PARAMETER, "KL_VRX_INVALID_PARAMETER"},
    {KL_VRX_INVALID_POINTER, "KL_VRX_INVALID_POINTER"},
};

// By reason number, KL_VRX_REASON_NONE to KL_VRX_REASON_READ.
constexpr const char* ReasonNames[] = {
    "KL_VRX_NONE",        "KL_VRX_NO_UNIT_OPEN", "KL_VRX_LAUNCH_MODE",
    "KL_VRX_SAFE_MODE",   "KL_VRX_TIMEOUT",      "KL_VRX_BUFFER",
    "KL_VRX_BAD_COMMAND", "KL_VRX_NOT_ECHOED",   "KL_VRX_TRANSITION_TIMEOUT",
    "KL_VRX_DEVICE_INFO", "KL_VRX_OPEN",         "KL_VRX_SEND",
    "KL_VRX_READ",
};
static_assert(std::size(ReasonNames) == KL_VRX_REASON_READ + 1);

}  // namespace

extern "C" {

uint32_t kl_vrx_version(void) {
    return KL_VRX_BUILT_VERSION;
}

const char* kl_vrx_status_name(uint32_t status) {
    for (const TStatusName& entry : StatusNames)
        if (entry.status == status)
            return entry.name;
    return "KL_VRX_UNKNOWN_STATUS";
}

const char* kl_vrx_reason_name(uint32_t reason) {
    return reason < std::size(ReasonNames) ? ReasonNames[reason] : "KL_VRX_UNKNOWN_REASON";
}

}  // extern "C"
