#include "os/linux/linux_os.h"

#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <utility>

#include "os/drive_path.h"

namespace KL_VRXOS {

TLinuxOs::TLinuxOs(std::string sysRoot, std::string devRoot, uint32_t readSliceMs)
    : sysRoot(std::move(sysRoot)),
      devRoot(std::move(devRoot)),
      readSliceMs(static_cast<int>(std::min<uint32_t>(readSliceMs, INT32_MAX))) {}

TLinuxOs::~TLinuxOs() = default;

uint32_t TLinuxOs::GetLastError() {
    return ThreadLastError();
}

// Truncation to 32 bits is deliberate: the count wraps like Windows' after
// 49.7 days, and callers measure with unsigned differences.
uint32_t TLinuxOs::GetTickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void TLinuxOs::Sleep(uint32_t ms) {
    if (ms == 0) {
        sched_yield();
        return;
    }
    timespec rest{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1000000L};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

uint32_t TLinuxOs::GetCurrentThreadId() {
    return static_cast<uint32_t>(syscall(SYS_gettid));
}

std::tm TLinuxOs::LocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

// "C:\VRXHIDLog.log" becomes "VRXHIDLog.log" in the current directory.
std::unique_ptr<TTextFile> TLinuxOs::OpenAppendTextFile(const std::string& windowsPath) {
    return OpenTextFileOnDrive(windowsPath, ".");
}

KL_IOperatingSystem& DefaultOs() {
    static TLinuxOs os;
    return os;
}

}  // namespace KL_VRXOS
