// Status codes of the controller's operations and of the exports, and the
// texts the controller keeps for them.
#pragma once

#include <cstdint>

namespace VRXStatus {

inline constexpr uint32_t Success = 0;
inline constexpr uint32_t NotOpen = 2;              // text unchanged
inline constexpr uint32_t OpenFailed = 3;           // the channel's text
inline constexpr uint32_t CommandFailed = 5;        // the channel's text
inline constexpr uint32_t IndexOutOfRange = 10;     // "Index out of range."
inline constexpr uint32_t PositionOutOfRange = 11;  // "Position out of range."
inline constexpr uint32_t InvalidParameter = 512;   // "Invalid parameter."
inline constexpr uint32_t InvalidPointer = 513;     // DeleteVRX only

}  // namespace VRXStatus

// The API value a read yields when the unit reports a device value outside
// the operation's mapping.
inline constexpr uint32_t NoPosition = 99999;
