#include "hid/transport_status.h"

#include <cstdio>
#include <cstring>

#include "hid/discovery.h"
#include "hid/hid_api.h"

namespace {

// The texts of codes 0 to 10, in code order. Codes 6 to 10 take LastApiError
// (code 7 also the failing enumeration step) as signed decimals.
const char* const statusTexts[] = {
    "Success.",
    "Could not find device.",
    "Invalid device buffer length.",
    "Device index out of range.",
    "Trying to send command to an unopened device.",
    "Could not create log file.",
    "Unable to Load Win API. API error: %d.",
    "Bad HID Comms. Code: %d. API error: %d.",
    "Device not found. API error: %d.",
    "Send fail. API error: %d.",
    "Read fail. API error: %d.",
};

}  // namespace

void GetTransportStatusText(char* buffer) {
    if (buffer == nullptr)
        return;
    const uint32_t code = static_cast<uint32_t>(LastTransportStatus);
    // Shown signed, as Windows tools print a DWORD through "%d": an error
    // with its highest bit set reads negative.
    const int apiError = static_cast<int>(LastApiError);
    char text[TransportTextSize + 64] = {};
    if (code <= 5) {
        std::snprintf(text, sizeof text, "%s", statusTexts[code]);
    } else if (code == 7) {
        // "Code:" names the Setup API step that failed (1 making the device
        // set, 2 enumerating an interface, 3 reading an interface's path),
        // which the API error alone does not tell apart.
        std::snprintf(text, sizeof text, statusTexts[code], static_cast<int>(LastEnumerationStep),
                      apiError);
    } else if (code <= 10) {
        std::snprintf(text, sizeof text, statusTexts[code], apiError);
    } else {
        // No step stores such a code; say what was found instead of guessing.
        std::snprintf(text, sizeof text, "Unknown transport status %u.", code);
    }
    // strncpy pads the rest of the 127 characters with NUL.
    std::strncpy(buffer, text, TransportTextSize - 1);
    buffer[TransportTextSize - 1] = '\0';
}
