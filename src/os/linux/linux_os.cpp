#include "os/linux/linux_os.h"

#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
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

namespace {

// Bumped in the child of every fork(), where each thread id cached below
// belongs to the parent.
std::atomic<unsigned> forks{0};

void CountFork() {
    forks.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

// gettid() is a system call, and every log record asks for the id: each
// thread keeps its own, looked up again only in a forked child.
uint32_t TLinuxOs::GetCurrentThreadId() {
    static const int forkHook = pthread_atfork(nullptr, nullptr, CountFork);
    (void)forkHook;
    thread_local unsigned generation = ~0u;
    thread_local uint32_t id = 0;
    const unsigned now = forks.load(std::memory_order_relaxed);
    if (generation != now) {
        id = static_cast<uint32_t>(syscall(SYS_gettid));
        generation = now;
    }
    return id;
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
