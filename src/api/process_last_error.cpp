#include "api/process_last_error.h"

#include <cstring>

#include "state/state_lock.h"

namespace KL_VRXApi {

void SetProcessLastError(const char* text) noexcept {
    const KL_VRXState::TStateLock lock;
    char* buffer = ApiState().processLastError;
    const char* source = text != nullptr ? text : "";
    const size_t count = strnlen(source, ProcessLastErrorSize - 1);
    std::memcpy(buffer, source, count);
    std::memset(buffer + count, 0, ProcessLastErrorSize - 1 - count);
}

}  // namespace KL_VRXApi
