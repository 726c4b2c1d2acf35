#include "support/allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<uint64_t> allocations{0};
thread_local uint64_t failCountdown = 0;  // 0: no failure armed
thread_local bool failed = false;

void* Allocate(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (failCountdown != 0 && --failCountdown == 0) {
        failed = true;
        throw std::bad_alloc();
    }
    // malloc(0) may return null; operator new must return a unique pointer.
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
}  // namespace

namespace KL_VRXTest {
uint64_t AllocationCount() {
    return allocations.load(std::memory_order_relaxed);
}

void FailNthAllocation(uint64_t n) {
    failCountdown = n;
    if (n != 0)
        failed = false;
}

bool AllocationFailed() {
    return failed;
}
}  // namespace KL_VRXTest

// The nothrow forms of libstdc++ call these, so they are counted too. The
// aligned forms keep their own matched allocate/free pair and are not counted
// (nothing in the library asks for over-aligned memory).
void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
