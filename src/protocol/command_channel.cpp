// The channel's device and the steps every transaction is built from: the
// unit check, one message and its reply, one message alone.
#include "protocol/command_channel.h"

#include "hid/discovery.h"
#include "hid/hid_binding.h"
#include "os/os.h"
#include "protocol/command_catalogue.h"

namespace KL_VRXProtocol {

using KL_VRXHid::TransportStatus;

// The device binds the HID library as it is created and records the outcome;
// a failure shows up at the first operation's unit check, not here.
TVRXCommandChannel::TVRXCommandChannel()
    : device(std::make_unique<KL_VRXHid::THIDDevice>()),
      launchMode(2),
      lastError(ProtocolError::Success) {}

TVRXCommandChannel::~TVRXCommandChannel() = default;

ProtocolError TVRXCommandChannel::CheckUnit() {
    return KL_VRXHid::CheckDevice(device.get()) == TransportStatus::Success
               ? ProtocolError::Success
               : ProtocolError::NotOpened;
}

TransportStatus TVRXCommandChannel::OpenOnDevice(uint16_t vendorId, uint16_t productId,
                                                 uint32_t index) {
    if (!device)
        return KL_VRXHid::ReleasedDevice();
    const TransportStatus status = device->OpenUnitByIndex(vendorId, productId, index);
    if (status == TransportStatus::Success)
        replyBuffer.Reserve(device->InputReportLength());
    return status;
}

ProtocolError TVRXCommandChannel::Transact(uint8_t* buffer, uint32_t messageLength,
                                           uint32_t& replyCapacity, bool& echo, uint32_t timeout) {
    lastError = ProtocolError::Success;
    echo = false;
    // The capacity on entry is the size of buffer: bytes beyond it are never touched.
    const uint32_t capacity = replyCapacity;

    if (ProtocolError check = CheckUnit(); check != ProtocolError::Success)
        return lastError = check;
    if (buffer == nullptr || messageLength == 0 || messageLength > device->OutputReportLength() ||
        messageLength > capacity)
        return lastError = ProtocolError::InsufficientBuffer;
    const uint8_t command = messageLength >= 2 ? buffer[1] : 0;

    // Other controllers of the unit wait from the message until its reply
    // is read: the handle they share hands every reply to whoever reads
    // first. Polls and their pauses included, so the turn is this unit's
    // only; nothing else waits for it.
    const std::unique_lock<std::mutex> turn = device->Turn();

    // The reply lands in buffer, which is safe once the send has returned:
    // the device pads the message into an output report of its own first.
    uint32_t written = messageLength;
    if (device->SendReport(buffer, written) != TransportStatus::Success || written == 0) {
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
        TransportStatus status = device->ReceiveReport(buffer, received);
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
    if (ProtocolError check = CheckUnit(); check != ProtocolError::Success)
        return lastError = check;
    if (message == nullptr || device->OutputReportLength() < 2)
        return lastError = ProtocolError::InsufficientBuffer;

    uint8_t copy[2] = {message[0], message[1]};
    uint32_t written = sizeof copy;
    const std::unique_lock<std::mutex> turn = device->Turn();  // as in Transact
    if (device->SendReport(copy, written) != TransportStatus::Success || written == 0)
        return lastError = ProtocolError::SendFailed;
    return lastError;
}

// The same sequence as the transport's unit count, with the count defined
// (0) when binding fails, so callers need not pre-set it.
TransportStatus TVRXCommandChannel::LookupUnits(uint16_t vendorId, uint16_t productId,
                                                uint32_t& count) {
    count = 0;
    return KL_VRXHid::CountUnits(vendorId, productId, count);
}

void TVRXCommandChannel::GetErrorText(char* buffer) const {
    GetProtocolErrorText(lastError, buffer);
}

bool TVRXCommandChannel::IsUnitOpen() const {
    return device && device->IsOpen();
}

void TVRXCommandChannel::CloseUnit() noexcept {
    if (device)
        device->CloseAndForgetLengths();
}

bool TVRXCommandChannel::IsLogging() const {
    return device && device->IsLogging();
}

void TVRXCommandChannel::SwitchLog(bool on) {
    if (device)
        device->SwitchLog(on);
}

uint8_t TVRXCommandChannel::LogDumpFlag() const {
    return device ? device->LogDumpFlag() : 1;
}

void TVRXCommandChannel::SetLogDumpFlag(uint8_t flag) {
    if (device)
        device->SetLogDumpFlag(flag);
}

// Every controller destruction unbinds hid.dll, even while other controllers
// live: their next transport step binds it again. The binding goes first so
// that the device's close happens with nothing of hid.dll still held.
void TVRXCommandChannel::ReleaseDevice() noexcept {
    if (!device)
        return;
    KL_VRXHid::UnloadHidApi();
    device.reset();
}

}  // namespace KL_VRXProtocol
