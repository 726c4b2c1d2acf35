// The six exports: counting units, the exports' last-error text, and
// creating, deleting and re-typing controllers for the host.
//
// Nothing thrown inside may reach the host: these are C entry points, and a
// host built with another compiler could not even catch it. Counting and
// creating catch everything; deleting and re-typing cannot throw (the
// controller's destructor never does).
//
// Any of them may run on any thread while others run elsewhere: the state
// they share is guarded below them (state/library_state.h).
#include "KL_VRX/KL_VRX.h"
#include "api/controller_creation.h"
#include "api/export_texts.h"
#include "api/host_units.h"
#include "api/process_last_error.h"
#include "controller/controller_status.h"
#include "controller/exception_text.h"
#include "controller/hardware_controller.h"

using KL_VRXApi::DeleteRefusedText;
using KL_VRXApi::SetProcessLastError;
using KL_VRXController::Code;
using KL_VRXController::VRXStatus;
using KL_VRXSDK::KL_IVRX;
using KL_VRXSDK::KL_IVRX2;

extern "C" {

KL_VRX_API uint32_t KL_VRX_CALL GetVRXDeviceCount(uint32_t* count) {
    // Refused before any lookup: a count that cannot be delivered is not worth
    // the enumeration.
    if (count == nullptr) {
        SetProcessLastError("Couldn't count VRX devices: Invalid pointer!");
        return Code(VRXStatus::InvalidPointer);
    }
    // The enumeration allocates; nothing thrown may reach a C caller.
    try {
        uint32_t n1 = 0;
        uint32_t n2 = 0;
        if (KL_VRXApi::CountHostUnits(n1, n2) != VRXStatus::Success)
            return Code(VRXStatus::CountFailed);
        *count = n1 + n2 + 1;  // the simulated unit is always there
        return Code(VRXStatus::Success);
    } catch (...) {
        char text[KL_VRXApi::ProcessLastErrorSize];
        KL_VRXController::CurrentExceptionText(text, " while counting VRX devices");
        SetProcessLastError(text);
        return Code(VRXStatus::CountFailed);
    }
}

KL_VRX_API const char* KL_VRX_CALL GetLastVRXDLLError() {
    return KL_VRXApi::ApiState().processLastError;
}

KL_VRX_API KL_IVRX* KL_VRX_CALL CreateVRXInternal(int32_t hostIndex) {
    uint32_t status = 0;
    return KL_VRXApi::CreateHostController(hostIndex, status);
}

KL_VRX_API KL_IVRX* KL_VRX_CALL CreateVRX(int32_t hostIndex) {
    return CreateVRXInternal(hostIndex);
}

KL_VRX_API uint32_t KL_VRX_CALL DeleteVRX(KL_IVRX* vrx) {
    if (vrx == nullptr)
        return Code(VRXStatus::Success);
    // Only objects of this library are ours to destroy; another
    // implementation of the interface belongs to whoever made it.
    auto* controller = dynamic_cast<TVRXHardwareController*>(vrx);
    if (controller == nullptr) {
        SetProcessLastError(DeleteRefusedText);
        return Code(VRXStatus::InvalidPointer);
    }
    delete controller;
    return Code(VRXStatus::Success);
}

// A plain run-time checked cast: any object that is a KL_IVRX2 comes back as
// one, a host's own implementation included.
KL_VRX_API KL_IVRX2* KL_VRX_CALL GetVRX2(KL_IVRX* vrx) {
    return dynamic_cast<KL_IVRX2*>(vrx);
}

}  // extern "C"
