// TVRXHardwareController as KL_VRX.dll's hosts see it: an object of the
// Microsoft C++ ABI (virtual table, scalar deleting destructor, type
// information) whose 33 entries run the core's controller through the C
// face (KL_VRX_c.h).
//
// Built by clang for x86_64-pc-windows-msvc only. The class keeps the
// public name outside any namespace, as hosts see it through typeid; the
// core's class of the same name is of the other ABI and never meets it.
#pragma once

#include <stddef.h>

#include "KL_VRX/KL_VRX.h"
#include "msvc_abi/core_bridge.h"

class TVRXHardwareController final : public KL_VRXSDK::KLSYS_IVRX {
  public:
    using KL_IVRXCallback = KL_VRXSDK::KL_IVRXCallback;

    // Takes over unit.
    explicit TVRXHardwareController(kl_vrx_unit* unit) : unit(unit) {}
    // Parks and closes the unit and destroys the core's controller.
    ~TVRXHardwareController() override;

    TVRXHardwareController(const TVRXHardwareController&) = delete;
    TVRXHardwareController& operator=(const TVRXHardwareController&) = delete;

    // From the library's heap, so that a host's delete frees it there;
    // null when exhausted (with the text set), which new then hands back.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* memory);

#define KL_VRX_DECLARE_ENTRY(name, cName, parameters, arguments) uint32_t name parameters override;
    KL_VRX_FORWARDED_OPERATIONS(KL_VRX_DECLARE_ENTRY)
#undef KL_VRX_DECLARE_ENTRY
    const char* GetLastErrorText() override;
    uint32_t GetLogging(bool* on) override;
    uint32_t SetLogging(bool on) override;
    uint32_t Close(bool park) override;
    uint32_t SetPosition20Callback(KL_IVRXCallback* callback) override;
    uint32_t SetPosition21Callback(KL_IVRXCallback* callback) override;

  private:
    kl_vrx_unit* unit;  // owned
};
