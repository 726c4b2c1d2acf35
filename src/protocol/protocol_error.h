// Result codes of the command channel.
#pragma once

#include <cstdint>

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
