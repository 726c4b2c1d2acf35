#include "os/os.h"

#include <atomic>

namespace KL_VRXOS {

namespace {
std::atomic<KL_IOperatingSystem*> activeOs{nullptr};
thread_local uint32_t threadLastError = 0;
}  // namespace

KL_IOperatingSystem& Os() {
    KL_IOperatingSystem* os = activeOs.load(std::memory_order_acquire);
    return os != nullptr ? *os : DefaultOs();
}

void SetActiveOs(KL_IOperatingSystem* os) {
    activeOs.store(os, std::memory_order_release);
}

uint32_t ThreadLastError() {
    return threadLastError;
}

void SetThreadLastError(uint32_t error) {
    threadLastError = error;
}

}  // namespace KL_VRXOS
