#include "protocol/command_channel.h"

#include <vector>

#include "hid/hid_api.h"
#include "hid/report_io.h"
#include "os/os.h"
#include "protocol/command_catalogue.h"
#include "protocol/unit_check.h"

ProtocolError CheckUnit(const THIDDevice* device) {
    LastTransportStatus = LoadHidApi();
    if (LastTransportStatus != TransportStatus::Success)
        return ProtocolError::NotOpened;
    if (device == nullptr || device->handle == KL_VRXOS::InvalidHandleValue) {
        LastTransportStatus = TransportStatus::DeviceNotOpen;
        return ProtocolError::NotOpened;
    }
    return ProtocolError::Success;
}

TransportStatus OpenOnDevice(THIDDevice* device, uint16_t vendorId, uint16_t productId,
                             uint32_t index) {
    if (device == nullptr)
        return LastTransportStatus = TransportStatus::DeviceNotOpen;
    return OpenUnitByIndex(*device, vendorId, productId, index);
}

// The device binds the HID library as it is created and records the outcome;
// a failure shows up at the first operation's unit check, not here.
TVRXCommandChannel::TVRXCommandChannel()
    : device(std::make_unique<THIDDevice>()), launchMode(2), lastError(ProtocolError::Success) {}

ProtocolError TVRXCommandChannel::Transact(uint8_t* buffer, uint32_t messageLength,
                                           uint32_t& replyCapacity, bool& echo, uint32_t timeout) {
    lastError = ProtocolError::Success;
    echo = false;
    // The capacity on entry is the size of buffer: bytes beyond it are never touched.
    const uint32_t capacity = replyCapacity;

    if (ProtocolError check = CheckUnit(device.get()); check != ProtocolError::Success)
        return lastError = check;
    if (buffer == nullptr || messageLength == 0 || messageLength > device->outputReportLength ||
        messageLength > capacity)
        return lastError = ProtocolError::InsufficientBuffer;
    const uint8_t command = messageLength >= 2 ? buffer[1] : 0;

    // The reply lands in buffer, so the message goes out from a copy of its own.
    std::vector<uint8_t> message(buffer, buffer + messageLength);
    uint32_t written = messageLength;
    if (SendReport(*device, message.data(), written) != TransportStatus::Success || written == 0) {
        replyCapacity = 0;
        return lastError = ProtocolError::SendFailed;
    }

    // The time-out bounds only the polling of empty reads: a read that waits
    // for a report lasts as long as the transport lets it.
    auto& os = KL_VRXOS::Os();
    uint32_t start = os.GetTickCount();
    ProtocolError result = ProtocolError::Success;
    uint32_t received = 0;
    for (;;) {
        received = capacity;
        TransportStatus status = ReceiveReport(*device, buffer, received);
        if (status != TransportStatus::Success) {
            // Only a read that reached the system reports a byte count of its own.
            if (status != TransportStatus::ReadFailed)
                received = 0;
            result = ProtocolError::ReadFailed;
            break;
        }
        if (received > 0)
            break;
        uint32_t now = os.GetTickCount();
        if (now < start) {
            // The tick count wrapped: measure afresh rather than end the wait.
            start = os.GetTickCount();
        } else if (now - start > timeout) {
            received = 0;
            result = ProtocolError::ReadTimeout;
            break;
        }
        os.Sleep(VRXTimeout::PollPause);
    }
    replyCapacity = received;

    if (result == ProtocolError::Success && received > 0) {
        // The transport clears the whole buffer before a read, so byte 1 is
        // defined even when the unit delivered a single byte.
        const uint8_t reply = capacity >= 2 ? buffer[1] : 0;
        if (reply == VRXCommand::Rejected)
            result = ProtocolError::BadCommand;
        echo = reply == command;
    }
    return lastError = result;
}

ProtocolError TVRXCommandChannel::SendOnly(const uint8_t* message) {
    lastError = ProtocolError::Success;
    if (ProtocolError check = CheckUnit(device.get()); check != ProtocolError::Success)
        return lastError = check;
    if (message == nullptr || device->outputReportLength < 2)
        return lastError = ProtocolError::InsufficientBuffer;

    uint8_t copy[2] = {message[0], message[1]};
    uint32_t written = sizeof copy;
    if (SendReport(*device, copy, written) != TransportStatus::Success || written == 0)
        return lastError = ProtocolError::SendFailed;
    return lastError;
}
