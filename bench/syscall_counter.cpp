#include "syscall_counter.h"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <ctime>

namespace {

std::atomic<uint64_t> calls{0};
thread_local int uncounted = 0;

long Count(long result) {
    if (uncounted == 0)
        calls.fetch_add(1, std::memory_order_relaxed);
    return result;
}

}  // namespace

namespace KL_VRXBench {

uint64_t SyscallCount() {
    return calls.load(std::memory_order_relaxed);
}

TUncounted::TUncounted() {
    ++uncounted;
}

TUncounted::~TUncounted() {
    --uncounted;
}

}  // namespace KL_VRXBench

// The system calls themselves, as the C library makes them (syscall() sets
// errno and returns -1 on failure).
extern "C" {

ssize_t read(int fd, void* buffer, size_t count) {
    return Count(syscall(SYS_read, fd, buffer, count));
}

ssize_t write(int fd, const void* buffer, size_t count) {
    return Count(syscall(SYS_write, fd, buffer, count));
}

int poll(struct pollfd* fds, nfds_t count, int timeoutMs) {
    return static_cast<int>(Count(syscall(SYS_poll, fds, count, timeoutMs)));
}

int ppoll(struct pollfd* fds, nfds_t count, const struct timespec* timeout, const sigset_t* mask) {
    return static_cast<int>(
        Count(syscall(SYS_ppoll, fds, count, timeout, mask, mask ? _NSIG / 8 : 0)));
}

ssize_t sendto(int fd, const void* buffer, size_t count, int flags, const struct sockaddr* to,
               socklen_t toLength) {
    return Count(syscall(SYS_sendto, fd, buffer, count, flags, to, toLength));
}

ssize_t send(int fd, const void* buffer, size_t count, int flags) {
    return sendto(fd, buffer, count, flags, nullptr, 0);
}

ssize_t recvfrom(int fd, void* buffer, size_t count, int flags, struct sockaddr* from,
                 socklen_t* fromLength) {
    return Count(syscall(SYS_recvfrom, fd, buffer, count, flags, from, fromLength));
}

ssize_t recv(int fd, void* buffer, size_t count, int flags) {
    return recvfrom(fd, buffer, count, flags, nullptr, nullptr);
}

}  // extern "C"
