#include "api/controller_creation.h"

#include <memory>

#include "api/host_units.h"
#include "api/process_last_error.h"
#include "controller/controller_status.h"
#include "controller/exception_text.h"
#include "controller/hardware_controller.h"
#include "protocol/command_catalogue.h"
#include "protocol/family_ids.h"

namespace KL_VRXApi {

using KL_VRXController::Code;
using KL_VRXController::VRXStatus;

TVRXHardwareController* CreateHostController(int32_t hostIndex, uint32_t& status) noexcept {
    try {
        const THostUnit unit = ResolveHostIndex(hostIndex);
        auto controller = std::make_unique<TVRXHardwareController>();
        // The family set-up makes the family every channel's next count and
        // open use; the claim keeps another thread's creation of the other
        // family from setting up its own before this open is done.
        const KL_VRXProtocol::TFamilyClaim claim(unit.family);
        controller->SetModelFamily(unit.family);
        status = controller->Open(unit.index, KL_VRXProtocol::VRXStartAction::FullStart);
        if (status != Code(VRXStatus::Success)) {
            SetProcessLastError(controller->GetLastErrorText());
            return nullptr;  // destroyed through its destructor: parks, unbinds
        }
        return controller.release();
    } catch (...) {
        char text[ProcessLastErrorSize];
        KL_VRXController::CurrentExceptionText(text, " while creating the VRX controller");
        SetProcessLastError(text);
    }
    status = Code(VRXStatus::Aborted);
    return nullptr;
}

}  // namespace KL_VRXApi
