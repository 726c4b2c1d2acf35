// Reading and moving the unit's elements, and its two state settings.
//
// Every element runs the same read and set procedures, and both state
// settings the same set procedure; the tables below say which register,
// command, time-outs, mapping, simulated value and callback each one uses.
#include "controller/controller_status.h"
#include "controller/hardware_controller.h"
#include "controller/value_maps.h"
#include "protocol/command_catalogue.h"

using Controller = TVRXHardwareController;
using KL_VRXController::Code;
using KL_VRXController::NoPosition;
using KL_VRXController::TValueMap;
using KL_VRXController::VRXStatus;
using KL_VRXProtocol::ProtocolError;
namespace VRXCommand = KL_VRXProtocol::VRXCommand;
namespace VRXTimeout = KL_VRXProtocol::VRXTimeout;
namespace Map = KL_VRXController::Map;

struct TVRXHardwareController::TElement {
    uint8_t reg;
    uint8_t setCode;
    uint32_t transitionTimeout;  // of the set's wait on reg; reads and writes take VRXTimeout::Io
    const TValueMap& map;
    uint32_t Controller::*sim;
    KL_IVRXCallback* Controller::*callback;  // null: no callback after a set

    static const TElement Position21, Position20, Position22, Position23, Position24, Position19,
        Position19Family2;
};

struct TVRXHardwareController::TStateSetting {
    uint8_t setCode;
    uint8_t awaitedRegister;  // 0: sent, not awaited
    uint32_t transitionTimeout;
    uint32_t ioTimeout;
    uint32_t Controller::*sim;

    static const TStateSetting State224, State18;
};

// The tables are members of the nested types, so they may name the
// controller's private fields.
// clang-format off
//                                                       register                set command                 transition              mapping                   simulated           callback
const Controller::TElement Controller::TElement::Position21 {VRXCommand::Position21, VRXCommand::SetPosition21, VRXTimeout::Position,   Map::Position21,          &Controller::sim21, &Controller::position21Callback};
const Controller::TElement Controller::TElement::Position20 {VRXCommand::Position20, VRXCommand::SetPosition20, VRXTimeout::Position20, Map::Position20,          &Controller::sim20, &Controller::position20Callback};
const Controller::TElement Controller::TElement::Position22 {VRXCommand::Position22, VRXCommand::SetPosition22, VRXTimeout::Position,   Map::Position22,          &Controller::sim22, nullptr};
const Controller::TElement Controller::TElement::Position23 {VRXCommand::Position23, VRXCommand::SetPosition23, VRXTimeout::Position,   Map::Position23And24,     &Controller::sim23, nullptr};
const Controller::TElement Controller::TElement::Position24 {VRXCommand::Position24, VRXCommand::SetPosition24, VRXTimeout::Position,   Map::Position23And24,     &Controller::sim24, nullptr};
const Controller::TElement Controller::TElement::Position19 {VRXCommand::Position19, VRXCommand::SetPosition19, VRXTimeout::Position19, Map::Position19,          &Controller::sim19, nullptr};
const Controller::TElement Controller::TElement::Position19Family2
                                                            {VRXCommand::Position19, VRXCommand::SetPosition19, VRXTimeout::Position19, Map::Position19Family2,   &Controller::sim19, nullptr};

// Command 224 is only sent; command 33 is awaited on register 18.
//                                                               set command              awaited              transition           I/O                 simulated
const Controller::TStateSetting Controller::TStateSetting::State224 {VRXCommand::SetState224, 0,                   0,                   VRXTimeout::Io,     &Controller::sim224};
const Controller::TStateSetting Controller::TStateSetting::State18  {VRXCommand::SetState18,  VRXCommand::State18, VRXTimeout::State18, VRXTimeout::LongIo, &Controller::sim18};
// clang-format on

static_assert(VRXCommand::RegisterOf(VRXCommand::SetPosition21) == VRXCommand::Position21);
static_assert(VRXCommand::RegisterOf(VRXCommand::SetPosition19) == VRXCommand::Position19);
static_assert(VRXCommand::RegisterOf(VRXCommand::SetState18) == VRXCommand::State18);

VRXStatus Controller::ReadElement(const TElement& element, uint32_t* position) {
    if (position == nullptr)
        return SetErrorText(VRXStatus::InvalidParameter);
    if (openIndex < 0)
        return VRXStatus::NotOpen;
    if (openIndex == 0) {
        // The simulated unit knows no failure: an unmapped value reads as
        // NoPosition with success.
        *position = element.map.ApiFromDevice(family, this->*element.sim);
        return VRXStatus::Success;
    }
    uint8_t device = 0;
    if (channel->ReadRegister(element.reg, device, VRXTimeout::Io) != ProtocolError::Success)
        return SetErrorText(VRXStatus::CommandFailed);
    *position = element.map.ApiFromDevice(family, device);
    if (*position == NoPosition)
        return SetErrorText(VRXStatus::PositionOutOfRange);
    return VRXStatus::Success;
}

VRXStatus Controller::SetElement(const TElement& element, uint32_t position) {
    if (openIndex < 0)
        return VRXStatus::NotOpen;
    const std::optional<uint8_t> device = element.map.DeviceFromApi(family, position);
    if (!device)
        return SetErrorText(VRXStatus::InvalidParameter);
    if (openIndex == 0) {
        this->*element.sim = *device;
    } else if (channel->WriteAndWait(element.setCode, element.reg, *device,
                                     element.transitionTimeout,
                                     VRXTimeout::Io) != ProtocolError::Success) {
        // The unit stays wherever the command left it: no retry, no restore.
        return SetErrorText(VRXStatus::CommandFailed);
    }
    if (element.callback != nullptr && this->*element.callback != nullptr)
        (this->*element.callback)->OnChanged();
    return VRXStatus::Success;
}

// The two state settings have no read and no callback; they differ only in
// how the value reaches the unit.
VRXStatus Controller::SetStateSetting(const TStateSetting& setting, uint32_t state) {
    if (openIndex < 0)
        return VRXStatus::NotOpen;
    const std::optional<uint8_t> device = Map::State.DeviceFromApi(family, state);
    if (!device)
        return SetErrorText(VRXStatus::InvalidParameter);
    if (openIndex == 0) {
        this->*setting.sim = *device;
        return VRXStatus::Success;
    }
    const ProtocolError result =
        setting.awaitedRegister == 0
            ? channel->WriteCommand(setting.setCode, *device, setting.ioTimeout)
            : channel->WriteAndWait(setting.setCode, setting.awaitedRegister, *device,
                                    setting.transitionTimeout, setting.ioTimeout);
    if (result != ProtocolError::Success)
        return SetErrorText(VRXStatus::CommandFailed);
    return VRXStatus::Success;
}

uint32_t Controller::GetPositionCount(uint32_t* count) noexcept {
    if (count == nullptr)
        return Code(SetErrorText(VRXStatus::InvalidParameter));
    if (openIndex < 0)
        return Code(VRXStatus::NotOpen);
    *count = positionCount;
    return Code(VRXStatus::Success);
}

uint32_t Controller::GetPosition21(uint32_t* position) noexcept {
    return Guarded([&] { return ReadElement(TElement::Position21, position); });
}
uint32_t Controller::SetPosition21(uint32_t position) noexcept {
    return Guarded([&] { return SetElement(TElement::Position21, position); });
}
uint32_t Controller::GetPosition20(uint32_t* position) noexcept {
    return Guarded([&] { return ReadElement(TElement::Position20, position); });
}
uint32_t Controller::SetPosition20(uint32_t position) noexcept {
    return Guarded([&] { return SetElement(TElement::Position20, position); });
}
uint32_t Controller::GetPosition22(uint32_t* position) noexcept {
    return Guarded([&] { return ReadElement(TElement::Position22, position); });
}
uint32_t Controller::SetPosition22(uint32_t position) noexcept {
    return Guarded([&] { return SetElement(TElement::Position22, position); });
}
uint32_t Controller::GetPosition23(uint32_t* position) noexcept {
    return Guarded([&] { return ReadElement(TElement::Position23, position); });
}
uint32_t Controller::SetPosition23(uint32_t position) noexcept {
    return Guarded([&] { return SetElement(TElement::Position23, position); });
}
uint32_t Controller::GetPosition24(uint32_t* position) noexcept {
    return Guarded([&] { return ReadElement(TElement::Position24, position); });
}
uint32_t Controller::SetPosition24(uint32_t position) noexcept {
    return Guarded([&] { return SetElement(TElement::Position24, position); });
}
uint32_t Controller::GetPosition19(uint32_t* position) noexcept {
    return Guarded([&] { return ReadElement(TElement::Position19, position); });
}
uint32_t Controller::SetPosition19(uint32_t position) noexcept {
    return Guarded([&] { return SetElement(TElement::Position19, position); });
}
uint32_t Controller::GetPosition19Family2(uint32_t* position) noexcept {
    return Guarded([&] { return ReadElement(TElement::Position19Family2, position); });
}
uint32_t Controller::SetState224(uint32_t state) noexcept {
    return Guarded([&] { return SetStateSetting(TStateSetting::State224, state); });
}
uint32_t Controller::SetState18(uint32_t state) noexcept {
    return Guarded([&] { return SetStateSetting(TStateSetting::State18, state); });
}
