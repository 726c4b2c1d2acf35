// KL_VRX.dll's four exports that hand out or take controllers, for the
// Microsoft-ABI objects hosts see (the .def file beside this one gives them
// their public names).
#include "KL_VRX/KL_VRX.h"
#include "msvc_abi/core_bridge.h"
#include "msvc_abi/msvc_controller.h"
#include "msvc_abi/msvc_rtti.h"

using KL_VRXSDK::KL_IVRX;
using KL_VRXSDK::KL_IVRX2;

namespace {

// Whether vrx is a controller this library made: its complete object's type
// descriptor is this module's own, not merely one of the same name (a host
// may well name a class of its own TVRXHardwareController).
bool IsOwnController(KL_IVRX* vrx) {
    return KL_VRXMsvc::HasMsvcTypeInformation(vrx) &&
           &typeid(*vrx) == &typeid(TVRXHardwareController);
}

}  // namespace

extern "C" {

KL_IVRX* KL_VRX_CALL KlVrxMsvcCreateVRXInternal(int32_t hostIndex) {
    kl_vrx_unit* unit = nullptr;
    if (kl_vrx_open(hostIndex, &unit) != KL_VRX_OK)
        return nullptr;
    auto* controller = new TVRXHardwareController(unit);
    if (controller == nullptr)
        kl_vrx_close(unit);
    return controller;
}

KL_IVRX* KL_VRX_CALL KlVrxMsvcCreateVRX(int32_t hostIndex) {
    return KlVrxMsvcCreateVRXInternal(hostIndex);
}

uint32_t KL_VRX_CALL KlVrxMsvcDeleteVRX(KL_IVRX* vrx) {
    if (vrx == nullptr)
        return 0;
    if (!IsOwnController(vrx))
        return KlVrxRefuseDeletion();
    delete static_cast<TVRXHardwareController*>(vrx);
    return 0;
}

// Any object of Microsoft's ABI that is a KL_IVRX2, the host's own included.
KL_IVRX2* KL_VRX_CALL KlVrxMsvcGetVRX2(KL_IVRX* vrx) {
    if (vrx == nullptr || !KL_VRXMsvc::HasMsvcTypeInformation(vrx))
        return nullptr;
    return dynamic_cast<KL_IVRX2*>(vrx);
}

}  // extern "C"
