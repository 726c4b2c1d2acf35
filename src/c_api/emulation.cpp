// kl_vrx_emulate: the C library's units on an emulated bus instead of the
// operating system's (the C library links the emulator; KL_VRX.dll does not).
#include <memory>
#include <mutex>
#include <string>

#include "KL_VRX/KL_VRX_c.h"
#include "KL_VRX/emulator.h"
#include "api/process_last_error.h"
#include "c_api/switch_guard.h"
#include "controller/exception_text.h"
#include "emulator/bus_layout.h"

namespace {

// The bus the C library's units live on; none: the operating system.
std::unique_ptr<KL_VRXEmu::TEmulatedBus> bus;

uint32_t Refuse(const std::string& text) {
    KL_VRXApi::SetThreadLastError(("kl_vrx_emulate: " + text).c_str());
    return KL_VRX_INVALID_PARAMETER;
}

}  // namespace

extern "C" uint32_t kl_vrx_emulate(const char* spec, int32_t real_clock) {
    try {
        const std::unique_lock lock(KL_VRXCApi::SwitchLock());
        if (const uint32_t open = KL_VRXCApi::OpenUnits(); open != 0)
            return Refuse(std::to_string(open) + " unit(s) still open; close every unit first");
        std::optional<std::vector<KL_VRXEmu::TEmulatedUnitLayout>> layout;
        if (spec != nullptr) {
            std::string error;
            layout = KL_VRXEmu::ParseBusLayout(spec, error);
            if (!layout)
                return Refuse(error);
        }
        // One bus at a time: the previous one hands the OS back first.
        bus.reset();
        if (!layout)
            return KL_VRX_OK;
        auto next = std::make_unique<KL_VRXEmu::TEmulatedBus>(
            real_clock != 0 ? KL_VRXEmu::TClock::Real : KL_VRXEmu::TClock::Virtual);
        next->SetReportLatency(1);
        for (const KL_VRXEmu::TEmulatedUnitLayout& unit : *layout)
            next->AttachUnit(unit.family, unit.launchMode);
        bus = std::move(next);
        return KL_VRX_OK;
    } catch (...) {
        char text[KL_VRXApi::ProcessLastErrorSize];
        KL_VRXController::CurrentExceptionText(text, " while switching to emulated units");
        KL_VRXApi::SetThreadLastError(text);
        return KL_VRX_COMMAND_FAILED;
    }
}
