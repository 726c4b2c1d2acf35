#include "api/process_last_error.h"

#include <cstring>

#include "state/state_lock.h"

namespace KL_VRXApi {

namespace {

thread_local char threadLastError[ProcessLastErrorSize] = {};

// Bounded copy into a buffer of ProcessLastErrorSize, padded with NUL; the
// last character is never written.
void CopyLastError(char* buffer, const char* text) noexcept {
    const char* source = text != nullptr ? text : "";
    const size_t count = strnlen(source, ProcessLastErrorSize - 1);
    std::memcpy(buffer, source, count);
    std::memset(buffer + count, 0, ProcessLastErrorSize - 1 - count);
}

}  // namespace

void SetProcessLastError(const char* text) noexcept {
    SetThreadLastError(text);
    const KL_VRXState::TStateLock lock;
    CopyLastError(ApiState().processLastError, text);
}

const char* ThreadLastError() noexcept {
    return threadLastError;
}

void SetThreadLastError(const char* text) noexcept {
    CopyLastError(threadLastError, text);
}

}  // namespace KL_VRXApi
