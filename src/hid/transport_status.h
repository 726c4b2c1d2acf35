// Transport status codes and their texts.
#pragma once

#include <cstdint>

namespace KL_VRXHid {

enum class TransportStatus : uint32_t {
    Success = 0,
    CouldNotFindDevice = 1,   // "Could not find device."
    InvalidBufferLength = 2,  // "Invalid device buffer length."
    IndexOutOfRange = 3,      // "Device index out of range."
    DeviceNotOpen = 4,        // "Trying to send command to an unopened device."
    LogFileFailed = 5,        // "Could not create log file."
    ApiLoadFailed = 6,        // "Unable to Load Win API. API error: %d."
    EnumerationFailed = 7,    // "Bad HID Comms. Code: %d. API error: %d."
    DeviceNotFound = 8,       // "Device not found. API error: %d."
    SendFailed = 9,           // "Send fail. API error: %d."
    ReadFailed = 10,          // "Read fail. API error: %d."
};

// Size of the buffer GetTransportStatusText fills: 127 characters and a NUL.
inline constexpr unsigned TransportTextSize = 128;

// Writes the text of the latest transport status (with the saved API error in
// its placeholders) into buffer, which holds at least TransportTextSize
// characters: at most 127 characters, the rest of them NUL, so buffer[127]
// is always NUL. Reads the transport's state, changes nothing.
void GetTransportStatusText(char* buffer);

}  // namespace KL_VRXHid
