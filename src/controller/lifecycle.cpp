// Construction, model family, counting, opening, closing and destruction.
#include <cstring>

#include "controller/controller_status.h"
#include "controller/exception_text.h"
#include "controller/hardware_controller.h"
#include "protocol/command_catalogue.h"
#include "protocol/family_ids.h"

using KL_VRXController::Code;
using KL_VRXController::VRXStatus;
using KL_VRXProtocol::ProtocolError;
using KL_VRXProtocol::TVRXCommandChannel;
namespace VRXCommand = KL_VRXProtocol::VRXCommand;
namespace VRXTimeout = KL_VRXProtocol::VRXTimeout;

namespace KL_VRXController {
namespace {

// Like the bounded copy hosts expect: at most 255 characters, the rest of the
// buffer NUL.
void CopyText(char (&buffer)[256], const char* text) {
    const size_t count = strnlen(text, sizeof buffer - 1);
    std::memcpy(buffer, text, count);
    std::memset(buffer + count, 0, sizeof buffer - count);
}

}  // namespace
}  // namespace KL_VRXController

TVRXHardwareController::TVRXHardwareController()
    : family(0),
      sim21(0),
      sim19(0),
      sim20(0),
      sim22(0),
      sim23(0),
      sim24(0),
      sim224(0),
      sim18(0),
      channel(std::make_unique<TVRXCommandChannel>()),
      openIndex(-1),
      positionCount(0),
      lastErrorText{},
      lastReason(KL_VRXProtocol::ProtocolError::Success),
      position20Callback(nullptr),
      position21Callback(nullptr),
      hostValue(1) {}

// Nothing here throws: parking swallows its own failures, and closing,
// unbinding and freeing never fail.
TVRXHardwareController::~TVRXHardwareController() {
    if (openIndex > 0)
        CloseRealUnit(true);
    openIndex = -1;
    if (channel) {
        channel->ReleaseDevice();
        channel.reset();
    }
}

uint32_t TVRXHardwareController::FailedWithException() noexcept {
    char text[sizeof lastErrorText];
    KL_VRXController::CurrentExceptionText(text);
    KL_VRXController::CopyText(lastErrorText, text);
    lastReason = ProtocolError::Success;
    return Code(VRXStatus::Aborted);
}

void TVRXHardwareController::SetModelFamily(uint32_t newFamily) noexcept {
    if (newFamily != 1 && newFamily != 2) {
        family = 0;
        return;
    }
    family = newFamily;
    channel->CloseUnit();
    // Process-wide: the next count or open of every controller uses this family.
    KL_VRXProtocol::SelectFamily(newFamily);
}

const char* TVRXHardwareController::GetLastErrorText() noexcept {
    return lastErrorText;
}

VRXStatus TVRXHardwareController::SetErrorText(VRXStatus status) {
    using KL_VRXController::CopyText;
    lastReason = ProtocolError::Success;
    switch (status) {
        case VRXStatus::OpenFailed:
        case VRXStatus::CommandFailed:
            // Right after the failing channel operation, so the text describes it.
            channel->GetErrorText(lastErrorText);
            lastReason = channel->LastError();
            break;
        case VRXStatus::IndexOutOfRange:
            CopyText(lastErrorText, "Index out of range.");
            break;
        case VRXStatus::PositionOutOfRange:
            CopyText(lastErrorText, "Position out of range.");
            break;
        case VRXStatus::InvalidParameter:
            CopyText(lastErrorText, "Invalid parameter.");
            break;
        default:
            CopyText(lastErrorText, "Unexpected error.");
            break;
    }
    return status;
}

VRXStatus TVRXHardwareController::CountDevices(int32_t& count) {
    uint32_t units = 0;
    if (channel->CountFamilyUnits(units) != ProtocolError::Success) {
        count = -1;
        return SetErrorText(VRXStatus::OpenFailed);
    }
    count = static_cast<int32_t>(units + 1);
    return VRXStatus::Success;
}

uint32_t TVRXHardwareController::GetDeviceCount(int32_t* count) noexcept {
    if (count == nullptr)
        return Code(SetErrorText(VRXStatus::InvalidParameter));
    return Guarded([&] { return CountDevices(*count); });
}

uint32_t TVRXHardwareController::Open(int32_t index, uint8_t startAction) noexcept {
    return Guarded([&] { return OpenIndex(index, startAction); });
}

VRXStatus TVRXHardwareController::OpenIndex(int32_t index, uint8_t startAction) {
    Close(true);

    // Counting runs for the simulated unit too, so a host learns early when
    // the HID library cannot be bound.
    int32_t count = 0;
    if (VRXStatus status = CountDevices(count); status != VRXStatus::Success)
        return status;

    if (index == 0) {
        positionCount = 4;
        sim21 = 2;
        sim19 = 1;
        sim20 = 1;
        sim22 = 2;
        sim23 = 1;
        sim24 = 1;
        sim224 = VRXCommand::StateStarted;
        sim18 = VRXCommand::StateStarted;
        openIndex = 0;
        return VRXStatus::Success;
    }
    if (index < 0 || index >= count)
        return SetErrorText(VRXStatus::IndexOutOfRange);

    // A unit opened before a failing start-up stays open on the device while
    // openIndex stays -1; the next open or the destruction closes it.
    if (channel->OpenUnit(static_cast<uint32_t>(index - 1), startAction) != ProtocolError::Success)
        return SetErrorText(VRXStatus::OpenFailed);
    openIndex = index;
    positionCount = family == 2 ? 4 : 3;
    return VRXStatus::Success;
}

uint32_t TVRXHardwareController::Close(bool park) noexcept {
    if (openIndex > 0)
        CloseRealUnit(park);
    openIndex = -1;
    return Code(VRXStatus::Success);
}

void TVRXHardwareController::CloseRealUnit(bool park) noexcept {
    if (park && channel->IsUnitOpen()) {
        // Nothing is sent when register 18 cannot be read: a unit that does
        // not answer a read will not confirm the park either, and the host
        // would only wait out another 28 s of time-outs for nothing. An
        // exception on the way (out of memory) ends the parking like any
        // other failure.
        try {
            uint8_t state = 0;
            if (channel->ReadRegister(VRXCommand::State18, state, VRXTimeout::Io) ==
                    ProtocolError::Success &&
                state != VRXCommand::StateParked)
                channel->WriteAndWait(VRXCommand::SetState18, VRXCommand::State18,
                                      VRXCommand::StateParked, VRXTimeout::Park, VRXTimeout::Io);
        } catch (...) {
        }
    }
    channel->CloseUnit();
    openIndex = -1;
}
