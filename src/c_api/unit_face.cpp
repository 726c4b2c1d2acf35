// The C face of the core: units as opaque handles, each a core controller
// with what the caller registered on it. The public C library exports these
// functions; KL_VRX.dll's Microsoft-ABI layer sits on them too.
//
// Nothing thrown may leave: the callers may be of another compiler or
// language. The controller's operations catch inside already; each entry
// here still catches everything, as the last line of defence.
#include <atomic>
#include <memory>
#include <mutex>
#include <new>

#include "KL_VRX/KL_VRX.h"
#include "KL_VRX/KL_VRX_c.h"
#include "api/controller_creation.h"
#include "api/export_texts.h"
#include "api/process_last_error.h"
#include "c_api/switch_guard.h"
#include "controller/controller_status.h"
#include "controller/hardware_controller.h"

namespace {

// The core's callback interface, standing in for a caller's function and
// its user data.
class TCallbackRelay final : public KL_VRXSDK::KL_IVRXCallback {
  public:
    TCallbackRelay() = default;
    TCallbackRelay(const TCallbackRelay&) = delete;
    TCallbackRelay& operator=(const TCallbackRelay&) = delete;

    void Point(kl_vrx_callback newFunction, void* newUserData) {
        function = newFunction;
        userData = newUserData;
    }
    void OnChanged() override { function(userData); }

  private:
    kl_vrx_callback function = nullptr;
    void* userData = nullptr;
};

std::atomic<uint32_t> openUnits{0};

constexpr uint32_t InvalidPointer =
    KL_VRXController::Code(KL_VRXController::VRXStatus::InvalidPointer);

}  // namespace

// The relays come first, so that they outlive the controller that points to them.
struct kl_vrx_unit {
    TCallbackRelay relay20;  // registered while the caller has a position-20 callback
    TCallbackRelay relay21;
    std::unique_ptr<TVRXHardwareController> controller;
};

namespace KL_VRXCApi {

std::shared_mutex& SwitchLock() {
    static std::shared_mutex lock;
    return lock;
}

uint32_t OpenUnits() noexcept {
    return openUnits.load();
}

}  // namespace KL_VRXCApi

namespace {

// Runs call on the unit's controller; 513 for a null unit. Whatever is
// thrown fails the way the controller's own operations fail, with 5 and
// the exception's text.
template <typename TCall>
uint32_t Guarded(kl_vrx_unit* unit, TCall call) noexcept {
    if (unit == nullptr)
        return InvalidPointer;
    try {
        return call(*unit->controller);
    } catch (...) {
        return unit->controller->FailedWithException();
    }
}

// An operation with out pointers: a null one is the controller's own
// refusal (its text), reported as 513 like every unusable pointer here.
template <typename TCall>
uint32_t GuardedOut(kl_vrx_unit* unit, bool nullOut, TCall call) noexcept {
    const uint32_t status = Guarded(unit, call);
    return unit != nullptr && nullOut ? InvalidPointer : status;
}

using TRegister = uint32_t (TVRXHardwareController::*)(KL_VRXSDK::KL_IVRXCallback*);

uint32_t RegisterCallback(kl_vrx_unit* unit, TRegister registerCallback,
                          TCallbackRelay kl_vrx_unit::*relay, kl_vrx_callback function,
                          void* userData) noexcept {
    return Guarded(unit, [&](TVRXHardwareController& controller) {
        if (function == nullptr)
            return (controller.*registerCallback)(nullptr);
        (unit->*relay).Point(function, userData);
        return (controller.*registerCallback)(&(unit->*relay));
    });
}

}  // namespace

extern "C" {

uint32_t kl_vrx_count(uint32_t* count) {
    try {
        const std::shared_lock lock(KL_VRXCApi::SwitchLock());
        return GetVRXDeviceCount(count);
    } catch (...) {  // the lock itself
        KL_VRXApi::SetProcessLastError("Unexpected error while counting VRX devices.");
        return KL_VRX_COMMAND_FAILED;
    }
}

uint32_t kl_vrx_open(int32_t host_index, kl_vrx_unit** unit) {
    if (unit == nullptr) {
        KL_VRXApi::SetThreadLastError("Couldn't open VRX: Invalid pointer!");
        return InvalidPointer;
    }
    *unit = nullptr;
    try {
        auto opened = std::make_unique<kl_vrx_unit>();
        const std::shared_lock lock(KL_VRXCApi::SwitchLock());
        uint32_t status = 0;
        opened->controller.reset(KL_VRXApi::CreateHostController(host_index, status));
        if (!opened->controller)
            return status;
        ++openUnits;
        *unit = opened.release();
        return KL_VRX_OK;
    } catch (...) {  // the handle's memory, or the lock
        KL_VRXApi::SetProcessLastError(KL_VRXApi::CreateOutOfMemoryText);
        return KL_VRX_COMMAND_FAILED;
    }
}

void kl_vrx_close(kl_vrx_unit* unit) {
    if (unit == nullptr)
        return;
    // The controller's destructor parks and closes without ever throwing.
    delete unit;
    --openUnits;
}

const char* kl_vrx_last_error(void) {
    return KL_VRXApi::ThreadLastError();
}

const char* kl_vrx_unit_error(kl_vrx_unit* unit) {
    if (unit == nullptr)
        return "Invalid pointer: the unit is null.";
    return unit->controller->GetLastErrorText();
}

uint32_t kl_vrx_unit_reason(kl_vrx_unit* unit) {
    if (unit == nullptr)
        return KL_VRX_REASON_NONE;
    return static_cast<uint32_t>(unit->controller->LastFailureReason());
}

// X(c name, operation, (parameters), (arguments), whether an out pointer is null)
#define KL_VRX_C_OPERATIONS(X)                                                                \
    X(get_position_count, GetPositionCount, (uint32_t * count), (count), count == nullptr)    \
    X(get_position21, GetPosition21, (uint32_t * position), (position), position == nullptr)  \
    X(set_position21, SetPosition21, (uint32_t position), (position), false)                  \
    X(get_position20, GetPosition20, (uint32_t * position), (position), position == nullptr)  \
    X(set_position20, SetPosition20, (uint32_t position), (position), false)                  \
    X(get_position22, GetPosition22, (uint32_t * position), (position), position == nullptr)  \
    X(set_position22, SetPosition22, (uint32_t position), (position), false)                  \
    X(get_position23, GetPosition23, (uint32_t * position), (position), position == nullptr)  \
    X(set_position23, SetPosition23, (uint32_t position), (position), false)                  \
    X(set_state224, SetState224, (uint32_t state), (state), false)                            \
    X(set_state18, SetState18, (uint32_t state), (state), false)                              \
    X(get_position24, GetPosition24, (uint32_t * position), (position), position == nullptr)  \
    X(set_position24, SetPosition24, (uint32_t position), (position), false)                  \
    X(get_model_family, GetModelFamily, (uint32_t * family), (family), family == nullptr)     \
    X(get_position19_family2, GetPosition19Family2, (uint32_t * position), (position),        \
      position == nullptr)                                                                    \
    X(get_host_value, GetHostValue, (uint32_t * value), (value), value == nullptr)            \
    X(set_host_value, SetHostValue, (uint32_t value), (value), false)                         \
    X(get_fixed_value, GetFixedValue, (uint32_t * value), (value), value == nullptr)          \
    X(get_device_info, GetDeviceInfo, (uint32_t * info0, uint32_t * info1, uint32_t * info2), \
      (info0, info1, info2), info0 == nullptr || info1 == nullptr || info2 == nullptr)        \
    X(get_device_number, GetDeviceNumber, (uint32_t * number), (number), number == nullptr)   \
    X(set_logging, SetLogging, (int32_t on), (on != 0), false)                                \
    X(get_log_dump_flag, GetLogDumpFlag, (uint8_t * flag), (flag), flag == nullptr)           \
    X(set_log_dump_flag, SetLogDumpFlag, (uint8_t flag), (flag), false)                       \
    X(get_device_count, GetDeviceCount, (int32_t * count), (count), count == nullptr)         \
    X(open_unit, Open, (int32_t index, uint8_t start_action), (index, start_action), false)   \
    X(close_unit, Close, (int32_t park), (park != 0), false)                                  \
    X(get_position19, GetPosition19, (uint32_t * position), (position), position == nullptr)  \
    X(set_position19, SetPosition19, (uint32_t position), (position), false)

#define KL_VRX_UNPARENTHESIZE(...) __VA_ARGS__
#define KL_VRX_DEFINE_C_OPERATION(cName, name, parameters, arguments, nullOut)     \
    uint32_t kl_vrx_##cName(kl_vrx_unit* unit, KL_VRX_UNPARENTHESIZE parameters) { \
        return GuardedOut(unit, nullOut, [&](TVRXHardwareController& controller) { \
            return controller.TVRXHardwareController::name arguments;              \
        });                                                                        \
    }
KL_VRX_C_OPERATIONS(KL_VRX_DEFINE_C_OPERATION)
#undef KL_VRX_DEFINE_C_OPERATION

uint32_t kl_vrx_get_logging(kl_vrx_unit* unit, int32_t* on) {
    return GuardedOut(unit, on == nullptr, [&](TVRXHardwareController& controller) {
        bool value = false;
        const uint32_t status = controller.GetLogging(on != nullptr ? &value : nullptr);
        if (on != nullptr && status == KL_VRX_OK)
            *on = value ? 1 : 0;
        return status;
    });
}

uint32_t kl_vrx_set_position20_callback(kl_vrx_unit* unit, kl_vrx_callback fn, void* user_data) {
    return RegisterCallback(unit, &TVRXHardwareController::SetPosition20Callback,
                            &kl_vrx_unit::relay20, fn, user_data);
}

uint32_t kl_vrx_set_position21_callback(kl_vrx_unit* unit, kl_vrx_callback fn, void* user_data) {
    return RegisterCallback(unit, &TVRXHardwareController::SetPosition21Callback,
                            &kl_vrx_unit::relay21, fn, user_data);
}

}  // extern "C"
