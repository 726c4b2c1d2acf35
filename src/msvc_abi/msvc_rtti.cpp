#include "msvc_abi/msvc_rtti.h"

#include <stdint.h>

namespace {

// The one entry of type_info's virtual table, its scalar deleting
// destructor. Type descriptors are static data, so there is nothing to free;
// no caller deletes one anyway.
void* KeepTypeDescriptor(void* descriptor, unsigned int /*flags*/) {
    return descriptor;
}

constexpr uint32_t CompleteObjectLocatorSignature = 1;  // x64: image-relative offsets

}  // namespace

// type_info's virtual table under its decorated name, which every type
// descriptor the compiler makes refers to. The Microsoft runtime libraries
// that would define it are not linked.
extern "C" void* const TypeInfoVirtualTable[1] __asm__("??_7type_info@@6B@") = {
    reinterpret_cast<void*>(&KeepTypeDescriptor)};

namespace KL_VRXMsvc {

bool HasMsvcTypeInformation(const void* object) {
    const void* const* table = *static_cast<const void* const* const*>(object);
    if (table == nullptr)
        return false;
    const auto* locator = static_cast<const uint32_t*>(table[-1]);
    return locator != nullptr && locator[0] == CompleteObjectLocatorSignature;
}

}  // namespace KL_VRXMsvc
