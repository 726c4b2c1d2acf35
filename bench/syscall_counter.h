// Counting the system calls of the report path in a benchmark.
//
// Linking syscall_counter.cpp puts counting versions of read, write, poll,
// ppoll, send and recv (and their recvfrom/sendto forms) in front of the C
// library's for the whole executable, the statically linked library included.
// Each makes the same system call and counts it, unless the calling thread
// is inside a TUncounted scope (a benchmark's own stand-in for the unit).
#pragma once

#include <cstdint>

namespace KL_VRXBench {

// System calls counted since the process started.
uint64_t SyscallCount();

// While one lives, the calling thread's system calls are not counted.
class TUncounted {
  public:
    TUncounted();
    ~TUncounted();
    TUncounted(const TUncounted&) = delete;
    TUncounted& operator=(const TUncounted&) = delete;
};

}  // namespace KL_VRXBench
