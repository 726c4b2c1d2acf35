// The core's side of the bridge (built by the core's compiler): each call
// runs the core controller's operation of the same name.
//
// Nothing thrown here may reach the caller, whose frames are compiled for
// another ABI without exceptions. The controller's operations catch inside
// the core already (an exception ends one with 5 and its text); each entry
// here still catches everything, as the last line of defence.
#include "msvc_abi/core_bridge.h"

#include <cstdlib>
#include <memory>

#include "KL_VRX/KL_VRX.h"
#include "api/export_texts.h"
#include "api/process_last_error.h"
#include "controller/controller_status.h"
#include "controller/exception_text.h"
#include "controller/hardware_controller.h"

using KL_VRXApi::CreateOutOfMemoryText;
using KL_VRXApi::DeleteRefusedText;
using KL_VRXApi::SetProcessLastError;
using KL_VRXController::Code;
using KL_VRXController::VRXStatus;

namespace {

// The core's callback interface, standing in for a host's callback object
// that the core cannot call itself.
class TCallbackRelay final : public KL_VRXSDK::KL_IVRXCallback {
  public:
    TCallbackRelay() = default;
    TCallbackRelay(const TCallbackRelay&) = delete;
    TCallbackRelay& operator=(const TCallbackRelay&) = delete;

    void Point(void* newTarget, KlVrxNotify newNotify) {
        target = newTarget;
        notify = newNotify;
    }
    void OnChanged() override { notify(target); }

  private:
    void* target = nullptr;
    KlVrxNotify notify = nullptr;
};

}  // namespace

// The relays come first, so that they outlive the controller that points to them.
struct KlVrxCore {
    TCallbackRelay relay20;  // registered while the host has a position-20 callback
    TCallbackRelay relay21;
    std::unique_ptr<TVRXHardwareController> controller;
};

namespace {

// Runs call on the core's controller. Nothing thrown may cross into the
// other ABI's frames: whatever still gets here fails the way the
// controller's own operations fail, with 5 and the exception's text.
template <typename TCall>
uint32_t Guarded(KlVrxCore* core, TCall call) noexcept {
    try {
        return call(*core->controller);
    } catch (...) {
        return core->controller->FailedWithException();
    }
}

using TRegister = uint32_t (TVRXHardwareController::*)(KL_VRXSDK::KL_IVRXCallback*);

uint32_t RegisterCallback(KlVrxCore* core, TRegister registerCallback, TCallbackRelay& relay,
                          void* target, KlVrxNotify notify) {
    return Guarded(core, [&](TVRXHardwareController& controller) {
        if (target == nullptr || notify == nullptr)
            return (controller.*registerCallback)(nullptr);
        relay.Point(target, notify);
        return (controller.*registerCallback)(&relay);
    });
}

}  // namespace

extern "C" {

KlVrxCore* KlVrxCoreCreate(int32_t hostIndex) {
    try {
        auto core = std::make_unique<KlVrxCore>();
        // The exports' own creation: host index, family, open, and its texts.
        KL_VRXSDK::KL_IVRX* created = CreateVRXInternal(hostIndex);
        if (created == nullptr)
            return nullptr;
        core->controller.reset(static_cast<TVRXHardwareController*>(created));
        return core.release();
    } catch (...) {
        // make_unique is all that throws: CreateVRXInternal catches inside.
        char text[KL_VRXApi::ProcessLastErrorSize];
        KL_VRXController::CurrentExceptionText(text, " while creating the VRX controller");
        SetProcessLastError(text);
        return nullptr;
    }
}

void KlVrxCoreDestroy(KlVrxCore* core) {
    // The controller's destructor parks and closes without ever throwing.
    delete core;
}

void* KlVrxViewAllocate(size_t size) {
    void* memory = std::malloc(size);
    if (memory == nullptr)
        SetProcessLastError(CreateOutOfMemoryText);
    return memory;
}

void KlVrxViewFree(void* memory) {
    std::free(memory);
}

uint32_t KlVrxRefuseDeletion(void) {
    SetProcessLastError(DeleteRefusedText);
    return Code(VRXStatus::InvalidPointer);
}

#define KL_VRX_DEFINE_FORWARDED(name, parameters, arguments)                                      \
    uint32_t KlVrxCore##name(KlVrxCore* core, KL_VRX_UNPARENTHESIZE parameters) {                 \
        return Guarded(                                                                           \
            core, [&](TVRXHardwareController& controller) { return controller.name arguments; }); \
    }
KL_VRX_FORWARDED_OPERATIONS(KL_VRX_DEFINE_FORWARDED)
#undef KL_VRX_DEFINE_FORWARDED

const char* KlVrxCoreGetLastErrorText(KlVrxCore* core) {
    return core->controller->GetLastErrorText();
}

uint32_t KlVrxCoreSetPosition20Callback(KlVrxCore* core, void* target, KlVrxNotify notify) {
    return RegisterCallback(core, &TVRXHardwareController::SetPosition20Callback, core->relay20,
                            target, notify);
}

uint32_t KlVrxCoreSetPosition21Callback(KlVrxCore* core, void* target, KlVrxNotify notify) {
    return RegisterCallback(core, &TVRXHardwareController::SetPosition21Callback, core->relay21,
                            target, notify);
}

}  // extern "C"
