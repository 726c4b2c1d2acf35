// The status codes of the controller's operations and of the exports, and
// the API value that stands for no position.
#pragma once

#include <cstdint>

namespace KL_VRXController {

// Hosts receive these as plain unsigned 32-bit numbers (Code).
enum class VRXStatus : uint32_t {
    Success = 0,
    NotOpen = 2,              // no unit is open; the text unchanged
    OpenFailed = 3,           // counting or opening failed; the channel's text
    CommandFailed = 5,        // a device command failed; the channel's text
    CountFailed = 5,          // GetVRXDeviceCount: the unit count failed
    Aborted = 5,              // an exception cut the operation short ("Out of memory." ...)
    IndexOutOfRange = 10,     // "Index out of range."
    PositionOutOfRange = 11,  // "Position out of range."
    InvalidParameter = 512,   // "Invalid parameter."
    InvalidPointer = 513,     // the exports: a pointer they cannot use
};

// The number a host receives.
constexpr uint32_t Code(VRXStatus status) {
    return static_cast<uint32_t>(status);
}

// The API value a read yields when the unit reports a device value outside
// the operation's mapping.
inline constexpr uint32_t NoPosition = 99999;

}  // namespace KL_VRXController
