// Creating, deleting and re-typing controllers for the host.
//
// Nothing thrown inside may reach the host: these are C entry points, and a
// host built with another compiler could not even catch it.
#include <memory>
#include <new>

#include "KL_VRX/KL_VRX.h"
#include "api/export_texts.h"
#include "api/host_index.h"
#include "api/process_last_error.h"
#include "controller/controller_status.h"
#include "controller/hardware_controller.h"
#include "protocol/command_catalogue.h"

using KL_VRXSDK::KL_IVRX;
using KL_VRXSDK::KL_IVRX2;

extern "C" {

KL_VRX_API KL_IVRX* KL_VRX_CALL CreateVRXInternal(int32_t hostIndex) {
    try {
        const THostUnit unit = ResolveHostIndex(hostIndex);
        auto controller = std::make_unique<TVRXHardwareController>();
        controller->SetModelFamily(unit.family);
        if (controller->Open(unit.index, VRXStartAction::FullStart) != VRXStatus::Success) {
            SetProcessLastError(controller->GetLastErrorText());
            return nullptr;  // destroyed through its destructor: parks, unbinds
        }
        return controller.release();
    } catch (const std::bad_alloc&) {
        SetProcessLastError(CreateOutOfMemoryText);
    } catch (...) {
        SetProcessLastError("Unexpected error while creating the VRX controller.");
    }
    return nullptr;
}

KL_VRX_API KL_IVRX* KL_VRX_CALL CreateVRX(int32_t hostIndex) {
    return CreateVRXInternal(hostIndex);
}

KL_VRX_API uint32_t KL_VRX_CALL DeleteVRX(KL_IVRX* vrx) {
    if (vrx == nullptr)
        return VRXStatus::Success;
    // Only objects of this library are ours to destroy; another
    // implementation of the interface belongs to whoever made it.
    auto* controller = dynamic_cast<TVRXHardwareController*>(vrx);
    if (controller == nullptr) {
        SetProcessLastError(DeleteRefusedText);
        return VRXStatus::InvalidPointer;
    }
    delete controller;
    return VRXStatus::Success;
}

KL_VRX_API KL_IVRX2* KL_VRX_CALL GetVRX2(KL_IVRX* vrx) {
    return dynamic_cast<KL_IVRX2*>(vrx);
}

}  // extern "C"
