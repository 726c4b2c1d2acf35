#include "msvc_abi/msvc_controller.h"

namespace {

// The core's relay calls this for a host's callback object: the host's
// OnChanged, through this ABI's virtual table.
void NotifyHost(void* target) {
    static_cast<KL_VRXSDK::KL_IVRXCallback*>(target)->OnChanged();
}

// The C face refuses a null out pointer with 513 once the controller has
// refused it with its own text; hosts of the C++ interface get the
// controller's number for that, 512 (the unit here is never null).
uint32_t InterfaceStatus(uint32_t status) {
    return status == KL_VRX_INVALID_POINTER ? KL_VRX_INVALID_PARAMETER : status;
}

}  // namespace

TVRXHardwareController::~TVRXHardwareController() {
    kl_vrx_close(unit);
}

void* TVRXHardwareController::operator new(size_t size) noexcept {
    return KlVrxViewAllocate(size);
}

void TVRXHardwareController::operator delete(void* memory) {
    KlVrxViewFree(memory);
}

#define KL_VRX_DEFINE_ENTRY(name, cName, parameters, arguments)                        \
    uint32_t TVRXHardwareController::name parameters {                                 \
        return InterfaceStatus(kl_vrx_##cName(unit, KL_VRX_UNPARENTHESIZE arguments)); \
    }
KL_VRX_FORWARDED_OPERATIONS(KL_VRX_DEFINE_ENTRY)
#undef KL_VRX_DEFINE_ENTRY

const char* TVRXHardwareController::GetLastErrorText() {
    return kl_vrx_unit_error(unit);
}

uint32_t TVRXHardwareController::GetLogging(bool* on) {
    int32_t value = 0;
    const uint32_t status = kl_vrx_get_logging(unit, on != nullptr ? &value : nullptr);
    if (on != nullptr && status == KL_VRX_OK)
        *on = value != 0;
    return InterfaceStatus(status);
}

uint32_t TVRXHardwareController::SetLogging(bool on) {
    return kl_vrx_set_logging(unit, on ? 1 : 0);
}

uint32_t TVRXHardwareController::Close(bool park) {
    return kl_vrx_close_unit(unit, park ? 1 : 0);
}

uint32_t TVRXHardwareController::SetPosition20Callback(KL_IVRXCallback* callback) {
    return kl_vrx_set_position20_callback(unit, callback != nullptr ? &NotifyHost : nullptr,
                                          callback);
}

uint32_t TVRXHardwareController::SetPosition21Callback(KL_IVRXCallback* callback) {
    return kl_vrx_set_position21_callback(unit, callback != nullptr ? &NotifyHost : nullptr,
                                          callback);
}
