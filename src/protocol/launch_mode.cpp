// Bringing units into launch mode 2, counting the family's units, and
// opening one with its start-up.
#include "os/os.h"
#include "protocol/command_catalogue.h"
#include "protocol/command_channel.h"
#include "protocol/family_ids.h"

namespace KL_VRXProtocol {

using KL_VRXHid::TransportStatus;

namespace {

// More units than this in the other launch mode are refused outright rather
// than switched one by one, 5 s each.
constexpr uint32_t MaxUnitsToSwitch = 10;

}  // namespace

ProtocolError TVRXCommandChannel::ApplyLaunchMode() {
    lastError = ProtocolError::Success;
    if (ProtocolError check = CheckUnit(); check != ProtocolError::Success)
        return lastError = check;
    if (device->OutputReportLength() < 2)
        return lastError = ProtocolError::InsufficientBuffer;

    const uint8_t message[2] = {VRXCommand::ReportId, VRXCommand::ApplyLaunchMode};
    ProtocolError result = SendOnly(message);
    // The unit leaves the bus to re-enumerate; let it have the processor.
    KL_VRXOS::Os().Sleep(0);
    return lastError = result;
}

ProtocolError TVRXCommandChannel::SwitchUnitsToLaunchMode() {
    lastError = ProtocolError::Success;
    auto& os = KL_VRXOS::Os();
    uint32_t passes = 0;
    uint32_t passLimit = 0;
    for (;;) {
        // Read afresh at each pass: another controller may have changed the
        // family meanwhile.
        const TFamilyIds ids = CurrentFamilyIds();
        uint32_t count = 0;
        const TransportStatus status = LookupUnits(ids.vendorIdSecond, ids.productIdSecond, count);
        const bool counted = status != TransportStatus::ApiLoadFailed;

        if (passes == 0 && counted) {
            if (count > MaxUnitsToSwitch)
                return lastError = ProtocolError::LaunchModeFailed;
            passLimit = count;
        }
        if (status != TransportStatus::Success) {
            os.Sleep(VRXTimeout::LaunchModePause);
            return lastError = ProtocolError::DeviceInfoFailed;
        }
        if (count == 0)
            return lastError = ProtocolError::Success;
        // A unit that reappears under the second product ID after its switch
        // must not keep the loop going for ever.
        if (passes >= passLimit)
            return lastError = ProtocolError::LaunchModeFailed;

        // Opening closes whatever unit the channel held.
        if (OpenOnDevice(ids.vendorIdSecond, ids.productIdSecond, 0) != TransportStatus::Success)
            return lastError = ProtocolError::OpenFailed;
        if (ProtocolError result = WriteCommand(VRXCommand::WriteLaunchMode,
                                                static_cast<uint8_t>(launchMode), VRXTimeout::Io);
            result != ProtocolError::Success)
            return lastError = result;
        if (ProtocolError result = ApplyLaunchMode(); result != ProtocolError::Success)
            return lastError = result;
        CloseUnit();

        os.Sleep(VRXTimeout::LaunchModePause);
        ++passes;
    }
}

ProtocolError TVRXCommandChannel::CountFamilyUnits(uint32_t& count) {
    lastError = ProtocolError::Success;
    // Units of the family in the other launch mode are switched first, so
    // that they are counted (and can be opened) under the first product ID.
    if (SwitchUnitsToLaunchMode() != ProtocolError::Success)
        return lastError;
    const TFamilyIds ids = CurrentFamilyIds();
    if (LookupUnits(ids.vendorIdFirst, ids.productIdFirst, count) != TransportStatus::Success)
        lastError = ProtocolError::DeviceInfoFailed;
    return lastError;
}

ProtocolError TVRXCommandChannel::OpenUnit(uint32_t index, uint8_t startAction) {
    lastError = ProtocolError::Success;
    if (ProtocolError result = SwitchUnitsToLaunchMode(); result != ProtocolError::Success)
        return lastError = result;

    const TFamilyIds ids = CurrentFamilyIds();
    if (OpenOnDevice(ids.vendorIdFirst, ids.productIdFirst, index) != TransportStatus::Success)
        return lastError = ProtocolError::OpenFailed;

    // Register 18 is read whatever the start action: a unit that cannot answer
    // it is not taken as open.
    uint8_t state = 0;
    ProtocolError result = ReadRegister(VRXCommand::State18, state, VRXTimeout::Io);
    if (result != ProtocolError::Success)
        return lastError = result;

    if (startAction == VRXStartAction::FullStart) {
        result = WriteAndWait(VRXCommand::SetState18, VRXCommand::State18, VRXCommand::StateStarted,
                              VRXTimeout::State18, VRXTimeout::LongIo);
        if (result == ProtocolError::Success)
            result =
                WriteAndWait(VRXCommand::SetPosition19, VRXCommand::Position19,
                             VRXCommand::StartPosition19, VRXTimeout::Position19, VRXTimeout::Io);
    } else if (startAction == VRXStartAction::Park && state == VRXCommand::StateStarted) {
        result = WriteAndWait(VRXCommand::SetState18, VRXCommand::State18, VRXCommand::StateParked,
                              VRXTimeout::State18, VRXTimeout::Io);
    }
    return lastError = result;
}

}  // namespace KL_VRXProtocol
