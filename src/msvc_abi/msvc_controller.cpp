#include "msvc_abi/msvc_controller.h"

namespace {

// The core's relay calls this for a host's callback object: the host's
// OnChanged, through this ABI's virtual table.
void NotifyHost(void* target) {
    static_cast<KL_VRXSDK::KL_IVRXCallback*>(target)->OnChanged();
}

}  // namespace

TVRXHardwareController::~TVRXHardwareController() {
    KlVrxCoreDestroy(core);
}

void* TVRXHardwareController::operator new(size_t size) noexcept {
    return KlVrxViewAllocate(size);
}

void TVRXHardwareController::operator delete(void* memory) {
    KlVrxViewFree(memory);
}

#define KL_VRX_DEFINE_ENTRY(name, parameters, arguments)               \
    uint32_t TVRXHardwareController::name parameters {                 \
        return KlVrxCore##name(core, KL_VRX_UNPARENTHESIZE arguments); \
    }
KL_VRX_FORWARDED_OPERATIONS(KL_VRX_DEFINE_ENTRY)
#undef KL_VRX_DEFINE_ENTRY

const char* TVRXHardwareController::GetLastErrorText() {
    return KlVrxCoreGetLastErrorText(core);
}

uint32_t TVRXHardwareController::SetPosition20Callback(KL_IVRXCallback* callback) {
    return KlVrxCoreSetPosition20Callback(core, callback, &NotifyHost);
}

uint32_t TVRXHardwareController::SetPosition21Callback(KL_IVRXCallback* callback) {
    return KlVrxCoreSetPosition21Callback(core, callback, &NotifyHost);
}
