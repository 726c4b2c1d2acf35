// KL_VRX: the one header a host includes.
//
// (Skeleton: the interfaces KL_IVRX, KL_IVRX2, KLSYS_IVRX and KL_IVRXCallback
// are completed by the controller work; the six exports are final.)
#ifndef KL_VRX_KL_VRX_H
#define KL_VRX_KL_VRX_H

#include <stdint.h>

#if defined(_WIN32)
#define KL_VRX_CALL __stdcall
#define KL_VRX_API
#elif defined(KL_VRX_BUILDING)
#define KL_VRX_CALL
#define KL_VRX_API __attribute__((visibility("default")))
#else
#define KL_VRX_CALL
#define KL_VRX_API
#endif

namespace KL_VRXSDK {
class KL_IVRX;
class KL_IVRX2;
}  // namespace KL_VRXSDK

extern "C" {

// Counts the reachable units plus the simulated unit. 0 on success (count
// stored), 5 on failure (count untouched, text in GetLastVRXDLLError).
KL_VRX_API uint32_t KL_VRX_CALL GetVRXDeviceCount(uint32_t* count);

// The text of the latest failure of an export; empty until one fails. The
// buffer lives as long as the library is loaded; never write or free it.
KL_VRX_API const char* KL_VRX_CALL GetLastVRXDLLError();

KL_VRX_API KL_VRXSDK::KL_IVRX* KL_VRX_CALL CreateVRX(int32_t hostIndex);
KL_VRX_API KL_VRXSDK::KL_IVRX* KL_VRX_CALL CreateVRXInternal(int32_t hostIndex);
KL_VRX_API uint32_t KL_VRX_CALL DeleteVRX(KL_VRXSDK::KL_IVRX* vrx);
KL_VRX_API KL_VRXSDK::KL_IVRX2* KL_VRX_CALL GetVRX2(KL_VRXSDK::KL_IVRX* vrx);

}  // extern "C"

#endif  // KL_VRX_KL_VRX_H
