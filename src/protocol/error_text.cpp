// The texts of the channel's result codes.
#include <cstring>
#include <iterator>

#include "hid/transport_status.h"
#include "protocol/command_channel.h"

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

constexpr size_t TextSize = 256;

bool HasTransportPart(ProtocolError code) {
    return code >= ProtocolError::DeviceInfoFailed && code <= ProtocolError::ReadFailed;
}

}  // namespace

void TVRXCommandChannel::GetErrorText(char* buffer) const {
    if (buffer == nullptr)
        return;
    char text[TextSize] = {};
    const auto code = static_cast<uint32_t>(lastError);
    // No operation records a code past the table; such a code reads as empty.
    if (code < std::size(ProtocolErrorTexts)) {
        std::strncpy(text, ProtocolErrorTexts[code], TextSize - 1);
        if (HasTransportPart(lastError)) {
            char transport[TransportTextSize] = {};
            GetTransportStatusText(transport);
            const size_t used = std::strlen(text);
            std::strncpy(text + used, transport, TextSize - 1 - used);
        }
    }
    std::strncpy(buffer, text, TextSize - 1);
    buffer[TextSize - 1] = '\0';
}
