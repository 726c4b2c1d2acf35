// The four transactions the controller uses: write, register read, block
// read, and write-then-await-state.
#include <cstring>
#include <vector>

#include "os/os.h"
#include "protocol/command_catalogue.h"
#include "protocol/command_channel.h"

namespace KL_VRXProtocol {

namespace {

// A poll has reached the state once this many replies in a row report it.
constexpr unsigned ConfirmingPolls = 2;

}  // namespace

// reply holds the input report length in bytes on success. A reply carries
// that length less 2 data bytes after its report ID and echo; a request for
// more than that is refused before anything is sent.
ProtocolError TVRXCommandChannel::Exchange(uint8_t code, const uint8_t* value, uint32_t timeout,
                                           std::vector<uint8_t>& reply, uint32_t dataBytes) {
    if (ProtocolError check = CheckUnit(); check != ProtocolError::Success)
        return check;
    const uint32_t inputLength = device->InputReportLength();
    if (inputLength < 3 || dataBytes > inputLength - 2)
        return ProtocolError::InsufficientBuffer;

    reply.assign(inputLength, 0);
    reply[0] = VRXCommand::ReportId;
    reply[1] = code;
    if (value != nullptr)
        reply[2] = *value;
    uint32_t capacity = inputLength;
    bool echo = false;
    ProtocolError result =
        Transact(reply.data(), value != nullptr ? 3 : 2, capacity, echo, timeout);
    if (result == ProtocolError::Success && !echo)
        result = ProtocolError::NotEchoed;
    return result;
}

ProtocolError TVRXCommandChannel::WriteCommand(uint8_t code, uint8_t value, uint32_t timeout) {
    lastError = ProtocolError::Success;
    std::vector<uint8_t> reply;
    return lastError = Exchange(code, &value, timeout, reply);
}

ProtocolError TVRXCommandChannel::ReadRegister(uint8_t code, uint8_t& value, uint32_t timeout) {
    lastError = ProtocolError::Success;
    std::vector<uint8_t> reply;
    ProtocolError result = Exchange(code, nullptr, timeout, reply);
    if (result == ProtocolError::Success)
        value = reply[2];
    return lastError = result;
}

ProtocolError TVRXCommandChannel::ReadBlock(uint8_t code, uint8_t* data, uint32_t count) {
    lastError = ProtocolError::Success;
    if (data == nullptr && count > 0)
        return lastError = ProtocolError::InsufficientBuffer;
    std::vector<uint8_t> reply;
    ProtocolError result = Exchange(code, nullptr, VRXTimeout::Io, reply, count);
    if (result == ProtocolError::Success && count > 0)
        std::memcpy(data, reply.data() + 2, count);
    return lastError = result;
}

ProtocolError TVRXCommandChannel::WriteAndWait(uint8_t code, uint8_t pollCode, uint8_t value,
                                               uint32_t transitionTimeout, uint32_t ioTimeout) {
    lastError = ProtocolError::Success;
    if (ProtocolError result = WriteCommand(code, value, ioTimeout);
        result != ProtocolError::Success)
        return lastError = result;

    // The transition time-out runs from the end of the write.
    auto& os = KL_VRXOS::Os();
    uint32_t start = os.GetTickCount();
    unsigned matches = 0;
    std::vector<uint8_t> reply;
    for (;;) {
        ProtocolError result = Exchange(pollCode, nullptr, ioTimeout, reply);
        if (result != ProtocolError::Success)
            return lastError = result;
        const uint8_t state = reply[2];
        if (state == value)
            ++matches;

        uint32_t now = os.GetTickCount();
        if (now < start) {
            // The tick count wrapped: measure afresh, no deadline for this poll.
            start = os.GetTickCount();
        } else if (now - start > transitionTimeout) {
            return lastError = ProtocolError::StateTimeout;
        }

        if (state != value) {
            matches = 0;
            os.Sleep(VRXTimeout::PollPause);
        } else if (matches >= ConfirmingPolls) {
            return lastError = ProtocolError::Success;
        }
    }
}

}  // namespace KL_VRXProtocol
