// What KL_VRX.dll's Microsoft-ABI layer needs of the core besides the C
// face (KL_VRX/KL_VRX_c.h), which it drives the core's controllers through.
//
// The two sides are built by different compilers (clang for the Microsoft
// ABI, the core's own compiler for the rest), so nothing crosses here but
// integers, pointers and plain function pointers: no class, no exception,
// no type information.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "KL_VRX/KL_VRX_c.h"

extern "C" {

// Memory for the layer's own controller objects, from the library's heap.
// Null when exhausted, with the creation's out-of-memory text set.
void* KlVrxViewAllocate(size_t size);
void KlVrxViewFree(void* memory);

// DeleteVRX's refusal: sets its text and returns 513.
uint32_t KlVrxRefuseDeletion(void);

}  // extern "C"

// The operations whose arguments pass unchanged to the C face, each as
// X(name, C face's name, (parameters), (arguments)); the rest of the 33
// (the text, the callbacks, and those with a bool) are written out.
#define KL_VRX_FORWARDED_OPERATIONS(X)                                                        \
    X(GetPositionCount, get_position_count, (uint32_t * count), (count))                      \
    X(GetPosition21, get_position21, (uint32_t * position), (position))                       \
    X(SetPosition21, set_position21, (uint32_t position), (position))                         \
    X(GetPosition20, get_position20, (uint32_t * position), (position))                       \
    X(SetPosition20, set_position20, (uint32_t position), (position))                         \
    X(GetPosition22, get_position22, (uint32_t * position), (position))                       \
    X(SetPosition22, set_position22, (uint32_t position), (position))                         \
    X(GetPosition23, get_position23, (uint32_t * position), (position))                       \
    X(SetPosition23, set_position23, (uint32_t position), (position))                         \
    X(SetState224, set_state224, (uint32_t state), (state))                                   \
    X(SetState18, set_state18, (uint32_t state), (state))                                     \
    X(GetPosition24, get_position24, (uint32_t * position), (position))                       \
    X(SetPosition24, set_position24, (uint32_t position), (position))                         \
    X(GetModelFamily, get_model_family, (uint32_t * family), (family))                        \
    X(GetPosition19Family2, get_position19_family2, (uint32_t * position), (position))        \
    X(GetHostValue, get_host_value, (uint32_t * value), (value))                              \
    X(SetHostValue, set_host_value, (uint32_t value), (value))                                \
    X(GetFixedValue, get_fixed_value, (uint32_t * value), (value))                            \
    X(GetDeviceInfo, get_device_info, (uint32_t * info0, uint32_t * info1, uint32_t * info2), \
      (info0, info1, info2))                                                                  \
    X(GetDeviceNumber, get_device_number, (uint32_t * number), (number))                      \
    X(GetLogDumpFlag, get_log_dump_flag, (uint8_t * flag), (flag))                            \
    X(SetLogDumpFlag, set_log_dump_flag, (uint8_t flag), (flag))                              \
    X(GetDeviceCount, get_device_count, (int32_t * count), (count))                           \
    X(Open, open_unit, (int32_t index, uint8_t startAction), (index, startAction))            \
    X(GetPosition19, get_position19, (uint32_t * position), (position))                       \
    X(SetPosition19, set_position19, (uint32_t position), (position))

#define KL_VRX_UNPARENTHESIZE(...) __VA_ARGS__
