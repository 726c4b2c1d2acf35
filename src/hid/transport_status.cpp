#include "hid/transport_status.h"

#include <cstdio>
#include <cstring>

#include "hid/hid_binding.h"

namespace KL_VRXHid {

namespace {

// The texts of Success to ReadFailed, in code order. ApiLoadFailed and the
// codes after it take the saved API error (EnumerationFailed also the failing
// enumeration step) as signed decimals.
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
    // Each value is read once: another thread's transport step may replace
    // them meanwhile, and the text then shows that step, as it would a moment
    // later anyway.
    const TTransportState& state = TransportState();
    const TransportStatus status = state.lastTransportStatus.Load();
    const auto code = static_cast<uint32_t>(status);
    // Shown signed, as Windows tools print a DWORD through "%d": an error
    // with its highest bit set reads negative.
    const int apiError = static_cast<int>(state.lastApiError.Load());
    // Zeroed first, so everything after the text is NUL however short it is.
    char text[TransportTextSize] = {};
    if (status <= TransportStatus::LogFileFailed) {
        std::snprintf(text, sizeof text, "%s", statusTexts[code]);
    } else if (status == TransportStatus::EnumerationFailed) {
        // "Code:" names the Setup API step that failed, which the API error
        // alone does not tell apart.
        std::snprintf(text, sizeof text, statusTexts[code],
                      static_cast<int>(state.lastEnumerationStep.Load()), apiError);
    } else if (status <= TransportStatus::ReadFailed) {
        std::snprintf(text, sizeof text, statusTexts[code], apiError);
    } else {
        // No step stores such a code; say what was found instead of guessing.
        std::snprintf(text, sizeof text, "Unknown transport status %u.", code);
    }
    std::memcpy(buffer, text, TransportTextSize);
}

}  // namespace KL_VRXHid
