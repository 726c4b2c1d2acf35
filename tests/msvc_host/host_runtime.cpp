#include "host_runtime.h"

#include "../host/host_checks.h"

extern "C" {
void exit(int code);
void* malloc(size_t size);
void free(void* memory);
}

// The virtual table every type descriptor refers to; the runtime library
// that defines it is not linked. Its one entry is never called.
namespace {
void* KeepTypeDescriptor(void* descriptor, unsigned int) {
    return descriptor;
}
}  // namespace
extern "C" void* const TypeInfoVirtualTable[1] __asm__("??_7type_info@@6B@") = {
    reinterpret_cast<void*>(&KeepTypeDescriptor)};

// For the host's own polymorphic classes (their deleting destructors).
void* operator new(size_t size) {
    return malloc(size);
}
void operator delete(void* memory) noexcept {
    free(memory);
}
void operator delete(void* memory, size_t) noexcept {
    free(memory);
}

namespace {
int failures = 0;
}  // namespace

void KL_VRXHost::Fail(const char* what, const char* where, uint32_t first, uint32_t second) {
    printf("failed: %s (%s: %u, %u)\n", what, where, first, second);
    ++failures;
}

extern "C" void HostEntry() {
    const int result = HostMain();
    if (result == 0 && failures == 0)
        printf("all checks passed\n");
    exit(result != 0 ? result : failures != 0);  // msvcrt's exit flushes standard output
}
