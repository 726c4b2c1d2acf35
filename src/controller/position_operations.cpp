// Reading and moving the unit's elements, and its two state settings.
//
// Every element runs the same read and set procedures; the table below says
// which register, command, time-out, mapping, simulated value and callback
// each one uses.
#include "controller/controller_status.h"
#include "controller/hardware_controller.h"
#include "controller/value_maps.h"
#include "protocol/command_catalogue.h"

using Controller = TVRXHardwareController;

struct TVRXHardwareController::TElement {
    uint8_t reg;
    uint8_t setCode;
    uint32_t transitionTimeout;
    const TValueMap& map;
    uint32_t Controller::*sim;
    KL_IVRXCallback* Controller::*callback;  // null: no callback after a set
};

namespace {

using VRXCommand::RegisterOf;
using TElement = Controller::TElement;

// clang-format off
//                            register               set command                 transition              mapping              simulated          callback
const TElement Element21      {VRXCommand::Position21, VRXCommand::SetPosition21, VRXTimeout::Position,   Position21Map,       &Controller::sim21, &Controller::position21Callback};
const TElement Element20      {VRXCommand::Position20, VRXCommand::SetPosition20, VRXTimeout::Position20, Position20Map,       &Controller::sim20, &Controller::position20Callback};
const TElement Element22      {VRXCommand::Position22, VRXCommand::SetPosition22, VRXTimeout::Position,   Position22Map,       &Controller::sim22, nullptr};
const TElement Element23      {VRXCommand::Position23, VRXCommand::SetPosition23, VRXTimeout::Position,   Position23And24Map,  &Controller::sim23, nullptr};
const TElement Element24      {VRXCommand::Position24, VRXCommand::SetPosition24, VRXTimeout::Position,   Position23And24Map,  &Controller::sim24, nullptr};
const TElement Element19      {VRXCommand::Position19, VRXCommand::SetPosition19, VRXTimeout::Position19, Position19Map,       &Controller::sim19, nullptr};
const TElement Element19Fam2  {VRXCommand::Position19, VRXCommand::SetPosition19, VRXTimeout::Position19, Position19Family2Map, &Controller::sim19, nullptr};
// clang-format on

static_assert(RegisterOf(VRXCommand::SetPosition21) == VRXCommand::Position21);
static_assert(RegisterOf(VRXCommand::SetPosition19) == VRXCommand::Position19);

}  // namespace

uint32_t Controller::ReadElement(const TElement& element, uint32_t* position) {
    if (position == nullptr)
        return SetErrorText(VRXStatus::InvalidParameter);
    if (openIndex < 0)
        return VRXStatus::NotOpen;
    if (openIndex == 0) {
        // The simulated unit knows no failure: an unmapped value reads as
        // 99999 with success.
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

uint32_t Controller::SetElement(const TElement& element, uint32_t position) {
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

uint32_t Controller::GetPositionCount(uint32_t* count) {
    if (count == nullptr)
        return SetErrorText(VRXStatus::InvalidParameter);
    if (openIndex < 0)
        return VRXStatus::NotOpen;
    *count = positionCount;
    return VRXStatus::Success;
}

uint32_t Controller::GetPosition21(uint32_t* position) {
    return ReadElement(Element21, position);
}
uint32_t Controller::SetPosition21(uint32_t position) {
    return SetElement(Element21, position);
}
uint32_t Controller::GetPosition20(uint32_t* position) {
    return ReadElement(Element20, position);
}
uint32_t Controller::SetPosition20(uint32_t position) {
    return SetElement(Element20, position);
}
uint32_t Controller::GetPosition22(uint32_t* position) {
    return ReadElement(Element22, position);
}
uint32_t Controller::SetPosition22(uint32_t position) {
    return SetElement(Element22, position);
}
uint32_t Controller::GetPosition23(uint32_t* position) {
    return ReadElement(Element23, position);
}
uint32_t Controller::SetPosition23(uint32_t position) {
    return SetElement(Element23, position);
}
uint32_t Controller::GetPosition24(uint32_t* position) {
    return ReadElement(Element24, position);
}
uint32_t Controller::SetPosition24(uint32_t position) {
    return SetElement(Element24, position);
}
uint32_t Controller::GetPosition19(uint32_t* position) {
    return ReadElement(Element19, position);
}
uint32_t Controller::SetPosition19(uint32_t position) {
    return SetElement(Element19, position);
}
uint32_t Controller::GetPosition19Family2(uint32_t* position) {
    return ReadElement(Element19Fam2, position);
}

namespace {

// The two state settings have no read and no callback; they differ only in
// how the value reaches the unit.
template <typename TSend>
uint32_t SetStateSetting(Controller& controller, uint32_t Controller::*sim, uint32_t state,
                         TSend send) {
    if (controller.openIndex < 0)
        return VRXStatus::NotOpen;
    const std::optional<uint8_t> device = StateMap.DeviceFromApi(controller.family, state);
    if (!device)
        return controller.SetErrorText(VRXStatus::InvalidParameter);
    if (controller.openIndex == 0) {
        controller.*sim = *device;
        return VRXStatus::Success;
    }
    if (send(*controller.channel, *device) != ProtocolError::Success)
        return controller.SetErrorText(VRXStatus::CommandFailed);
    return VRXStatus::Success;
}

}  // namespace

// Command 224 is only sent; command 33 is awaited on register 18.
uint32_t Controller::SetState224(uint32_t state) {
    return SetStateSetting(
        *this, &Controller::sim224, state, [](TVRXCommandChannel& channel, uint8_t value) {
            return channel.WriteCommand(VRXCommand::SetState224, value, VRXTimeout::Io);
        });
}

uint32_t Controller::SetState18(uint32_t state) {
    return SetStateSetting(
        *this, &Controller::sim18, state, [](TVRXCommandChannel& channel, uint8_t value) {
            return channel.WriteAndWait(VRXCommand::SetState18, VRXCommand::State18, value,
                                        VRXTimeout::State18, VRXTimeout::LongIo);
        });
}
