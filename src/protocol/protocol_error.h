// Result codes of the command channel and their texts.
#pragma once

#include <cstdint>

namespace KL_VRXProtocol {

enum class ProtocolError : uint32_t {
    Success = 0,             // "Success."
    NotOpened = 1,           // "No VRX has been opened."
    LaunchModeFailed = 2,    // "Unable to change launch mode for attached VRXs."
    SafeMode = 3,            // "Cannot do a write while in safe mode." (never raised)
    ReadTimeout = 4,         // "Have timed out trying to read from the device."
    InsufficientBuffer = 5,  // "Insufficient buffer space."
    BadCommand = 6,          // "A bad command was sent to the device."
    NotEchoed = 7,           // "The command was not echoed."
    StateTimeout = 8,        // "Timeout while waiting for state transition."
    DeviceInfoFailed = 9,    // "Unable to get device information. " + transport text
    OpenFailed = 10,         // "Unable to open VRX. " + transport text
    SendFailed = 11,         // "Problem sending data to VRX. " + transport text
    ReadFailed = 12,         // "Problem reading data from VRX. " + transport text
};

// Size of the buffers the texts go to: 255 characters and a NUL.
inline constexpr unsigned ProtocolTextSize = 256;

// Writes the text of code into buffer, which holds at least
// ProtocolTextSize characters: for DeviceInfoFailed to ReadFailed the latest
// transport status's text follows the code's own. At most 255 characters and
// every character after them NUL, so buffer[255] is always NUL; a code past
// ReadFailed, which no operation records, reads as empty.
void GetProtocolErrorText(ProtocolError code, char* buffer);

}  // namespace KL_VRXProtocol
