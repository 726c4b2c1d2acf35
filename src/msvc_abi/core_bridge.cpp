// The core's side of what KL_VRX.dll's Microsoft-ABI layer needs besides
// the C face (built by the core's compiler).
#include "msvc_abi/core_bridge.h"

#include <cstdlib>

#include "api/export_texts.h"
#include "api/process_last_error.h"
#include "controller/controller_status.h"

using KL_VRXApi::SetProcessLastError;
using KL_VRXController::Code;
using KL_VRXController::VRXStatus;

extern "C" {

void* KlVrxViewAllocate(size_t size) {
    void* memory = std::malloc(size);
    if (memory == nullptr)
        SetProcessLastError(KL_VRXApi::CreateOutOfMemoryText);
    return memory;
}

void KlVrxViewFree(void* memory) {
    std::free(memory);
}

uint32_t KlVrxRefuseDeletion(void) {
    SetProcessLastError(KL_VRXApi::DeleteRefusedText);
    return Code(VRXStatus::InvalidPointer);
}

}  // extern "C"
