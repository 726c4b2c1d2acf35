#include "protocol/protocol_error.h"

#include <cstring>
#include <iterator>

#include "hid/transport_status.h"

namespace KL_VRXProtocol {

namespace {

// Indexed by ProtocolError. The texts of the transport failures end with a
// blank: the transport's own text follows it.
constexpr const char* ProtocolErrorTexts[] = {
    "Success.",
    "No VRX has been opened.",
    "Unable to change launch mode for attached VRXs.",
    "Cannot do a write while in safe mode.",
    "Have timed out trying to read from the device.",
    "Insufficient buffer space.",
    "A bad command was sent to the device.",
    "The command was not echoed.",
    "Timeout while waiting for state transition.",
    "Unable to get device information. ",
    "Unable to open VRX. ",
    "Problem sending data to VRX. ",
    "Problem reading data from VRX. ",
};

bool HasTransportPart(ProtocolError code) {
    return code >= ProtocolError::DeviceInfoFailed && code <= ProtocolError::ReadFailed;
}

// Appends text to buffer, which holds used characters, keeping within
// ProtocolTextSize - 1 characters; returns the characters now used.
size_t Append(char* buffer, size_t used, const char* text) {
    const size_t count = strnlen(text, ProtocolTextSize - 1 - used);
    std::memcpy(buffer + used, text, count);
    return used + count;
}

}  // namespace

void GetProtocolErrorText(ProtocolError code, char* buffer) {
    if (buffer == nullptr)
        return;
    // Built zeroed and copied whole, as a bounded copy pads: every character
    // after the text is NUL.
    char text[ProtocolTextSize] = {};
    const auto index = static_cast<uint32_t>(code);
    if (index < std::size(ProtocolErrorTexts)) {
        const size_t used = Append(text, 0, ProtocolErrorTexts[index]);
        if (HasTransportPart(code)) {
            char transport[KL_VRXHid::TransportTextSize] = {};
            KL_VRXHid::GetTransportStatusText(transport);
            Append(text, used, transport);
        }
    }
    std::memcpy(buffer, text, ProtocolTextSize);
}

}  // namespace KL_VRXProtocol
