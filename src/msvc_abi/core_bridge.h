// The plain C calls between KL_VRX.dll's Microsoft-ABI layer and the
// library's core.
//
// The two sides are built by different compilers (clang for the Microsoft
// ABI, the core's own compiler for the rest), so nothing crosses here but
// integers, pointers to them, opaque handles and plain function pointers:
// no class, no exception, no type information. Every function of the core's
// side catches whatever the core throws and turns it into a status.
#pragma once

#include <stddef.h>
#include <stdint.h>

extern "C" {

// One controller of the core, with what the layer registered on it.
struct KlVrxCore;

// Calls the host's callback object target (the layer knows its type).
typedef void (*KlVrxNotify)(void* target);

// Creates and opens a controller for hostIndex as CreateVRXInternal does.
// Null on failure, with the reason in the exports' last-error text.
KlVrxCore* KlVrxCoreCreate(int32_t hostIndex);
// Parks and closes its unit and destroys the controller. Null does nothing.
void KlVrxCoreDestroy(KlVrxCore* core);

// Memory for the layer's own controller objects, from the library's heap.
// Null when exhausted, with the creation's out-of-memory text set.
void* KlVrxViewAllocate(size_t size);
void KlVrxViewFree(void* memory);

// DeleteVRX's refusal: sets its text and returns 513.
uint32_t KlVrxRefuseDeletion(void);

// The operations whose arguments pass unchanged, each as
// X(name, (parameters), (arguments)); KlVrxCore<name> takes the core first.
#define KL_VRX_FORWARDED_OPERATIONS(X)                                       \
    X(GetPositionCount, (uint32_t * count), (count))                         \
    X(GetPosition21, (uint32_t * position), (position))                      \
    X(SetPosition21, (uint32_t position), (position))                        \
    X(GetPosition20, (uint32_t * position), (position))                      \
    X(SetPosition20, (uint32_t position), (position))                        \
    X(GetPosition22, (uint32_t * position), (position))                      \
    X(SetPosition22, (uint32_t position), (position))                        \
    X(GetPosition23, (uint32_t * position), (position))                      \
    X(SetPosition23, (uint32_t position), (position))                        \
    X(SetState224, (uint32_t state), (state))                                \
    X(SetState18, (uint32_t state), (state))                                 \
    X(GetPosition24, (uint32_t * position), (position))                      \
    X(SetPosition24, (uint32_t position), (position))                        \
    X(GetModelFamily, (uint32_t * family), (family))                         \
    X(GetPosition19Family2, (uint32_t * position), (position))               \
    X(GetHostValue, (uint32_t * value), (value))                             \
    X(SetHostValue, (uint32_t value), (value))                               \
    X(GetFixedValue, (uint32_t * value), (value))                            \
    X(GetDeviceInfo, (uint32_t * info0, uint32_t * info1, uint32_t * info2), \
      (info0, info1, info2))                                                 \
    X(GetDeviceNumber, (uint32_t * number), (number))                        \
    X(GetLogging, (bool* on), (on))                                          \
    X(SetLogging, (bool on), (on))                                           \
    X(GetLogDumpFlag, (uint8_t * flag), (flag))                              \
    X(SetLogDumpFlag, (uint8_t flag), (flag))                                \
    X(GetDeviceCount, (int32_t * count), (count))                            \
    X(Open, (int32_t index, uint8_t startAction), (index, startAction))      \
    X(Close, (bool park), (park))                                            \
    X(GetPosition19, (uint32_t * position), (position))                      \
    X(SetPosition19, (uint32_t position), (position))

#define KL_VRX_UNPARENTHESIZE(...) __VA_ARGS__
#define KL_VRX_DECLARE_FORWARDED(name, parameters, arguments) \
    uint32_t KlVrxCore##name(KlVrxCore* core, KL_VRX_UNPARENTHESIZE parameters);
KL_VRX_FORWARDED_OPERATIONS(KL_VRX_DECLARE_FORWARDED)
#undef KL_VRX_DECLARE_FORWARDED

// The rest of the 33 entries: the text, and the callbacks, which the core
// reaches through a relay that calls notify(target).
const char* KlVrxCoreGetLastErrorText(KlVrxCore* core);
uint32_t KlVrxCoreSetPosition20Callback(KlVrxCore* core, void* target, KlVrxNotify notify);
uint32_t KlVrxCoreSetPosition21Callback(KlVrxCore* core, void* target, KlVrxNotify notify);

}  // extern "C"
