// Model family, host value, callbacks, device data and the traffic-log switches.
//
// Apart from the device data, these work in every state of the controller and
// survive Open and Close.
#include "controller/controller_status.h"
#include "controller/hardware_controller.h"
#include "protocol/command_catalogue.h"

using Controller = TVRXHardwareController;
using KL_VRXController::Code;
using KL_VRXController::VRXStatus;
using KL_VRXProtocol::ProtocolError;
namespace VRXCommand = KL_VRXProtocol::VRXCommand;

namespace KL_VRXController {
namespace {

inline constexpr uint32_t FixedValue = 30;

// Packed decimal, the two most significant digits in the last byte. Nibbles
// are not checked: one above 9 adds its value as if it were a digit, and even
// all nibbles at 15 (166666665) stay within 32 bits.
uint32_t DecodeDeviceNumber(const uint8_t (&data)[VRXCommand::DeviceNumberBytes]) {
    uint32_t number = 0;
    for (int i = VRXCommand::DeviceNumberBytes - 1; i >= 0; --i)
        number = number * 100 + (data[i] >> 4) * 10 + (data[i] & 0x0F);
    return number;
}

}  // namespace
}  // namespace KL_VRXController

uint32_t Controller::GetModelFamily(uint32_t* value) noexcept {
    if (value == nullptr)
        return Code(SetErrorText(VRXStatus::InvalidParameter));
    *value = family;
    return Code(VRXStatus::Success);
}

uint32_t Controller::GetHostValue(uint32_t* value) noexcept {
    if (value == nullptr)
        return Code(SetErrorText(VRXStatus::InvalidParameter));
    *value = hostValue;
    return Code(VRXStatus::Success);
}

uint32_t Controller::SetHostValue(uint32_t value) noexcept {
    hostValue = value;
    return Code(VRXStatus::Success);
}

uint32_t Controller::GetFixedValue(uint32_t* value) noexcept {
    if (value == nullptr)
        return Code(SetErrorText(VRXStatus::InvalidParameter));
    *value = KL_VRXController::FixedValue;
    return Code(VRXStatus::Success);
}

uint32_t Controller::SetPosition20Callback(KL_IVRXCallback* callback) noexcept {
    position20Callback = callback;
    return Code(VRXStatus::Success);
}

uint32_t Controller::SetPosition21Callback(KL_IVRXCallback* callback) noexcept {
    position21Callback = callback;
    return Code(VRXStatus::Success);
}

uint32_t Controller::GetDeviceInfo(uint32_t* info0, uint32_t* info1, uint32_t* info2) noexcept {
    if (info0 == nullptr || info1 == nullptr || info2 == nullptr)
        return Code(SetErrorText(VRXStatus::InvalidParameter));
    if (openIndex < 0)
        return Code(VRXStatus::NotOpen);
    return Guarded([&] {
        uint8_t data[VRXCommand::DeviceInfoBytes] = {};
        if (openIndex > 0 && channel->ReadBlock(VRXCommand::ReadDeviceInfo, data, sizeof data) !=
                                 ProtocolError::Success)
            return SetErrorText(VRXStatus::CommandFailed);
        *info0 = data[0];
        *info1 = data[1];
        *info2 = data[2];
        return VRXStatus::Success;
    });
}

uint32_t Controller::GetDeviceNumber(uint32_t* number) noexcept {
    if (number == nullptr)
        return Code(SetErrorText(VRXStatus::InvalidParameter));
    if (openIndex < 0)
        return Code(VRXStatus::NotOpen);
    return Guarded([&] {
        uint8_t data[VRXCommand::DeviceNumberBytes] = {};
        if (openIndex > 0 && channel->ReadBlock(VRXCommand::ReadDeviceNumber, data, sizeof data) !=
                                 ProtocolError::Success)
            return SetErrorText(VRXStatus::CommandFailed);
        *number = KL_VRXController::DecodeDeviceNumber(data);
        return VRXStatus::Success;
    });
}

uint32_t Controller::GetLogging(bool* on) noexcept {
    if (on == nullptr)
        return Code(SetErrorText(VRXStatus::InvalidParameter));
    return Guarded([&] {
        if (channel)
            *on = channel->IsLogging();
        return VRXStatus::Success;
    });
}

// Creating the logger (its file, its texts) may run out of memory: then
// logging stays off and the status says why.
uint32_t Controller::SetLogging(bool on) noexcept {
    return Guarded([&] {
        if (channel)
            channel->SwitchLog(on);
        return VRXStatus::Success;
    });
}

uint32_t Controller::GetLogDumpFlag(uint8_t* flag) noexcept {
    if (flag == nullptr)
        return Code(SetErrorText(VRXStatus::InvalidParameter));
    if (channel)
        *flag = channel->LogDumpFlag();
    return Code(VRXStatus::Success);
}

uint32_t Controller::SetLogDumpFlag(uint8_t flag) noexcept {
    if (channel)
        channel->SetLogDumpFlag(flag);
    return Code(VRXStatus::Success);
}
