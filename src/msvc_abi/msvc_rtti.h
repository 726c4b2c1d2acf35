// What KL_VRX.dll's Microsoft-ABI layer needs of Microsoft's run-time type
// information, with no Microsoft header or library at hand.
//
// Built by clang for x86_64-pc-windows-msvc only. Casts and typeid call the
// __RTDynamicCast and __RTtypeid of msvcrt.dll, which compare type
// descriptors by their decorated names, so descriptors made here match a
// host's.
#pragma once

// The runtime's class of typeid results, as its own headers declare it (the
// compiler's type descriptors are objects of it): only what this layer uses.
class type_info {
  public:
    virtual ~type_info();

  private:
    void* undecoratedName;
    char decoratedName[1];
};

namespace std {
using ::type_info;
}  // namespace std

namespace KL_VRXMsvc {

// Whether object, a polymorphic object of any origin, points to a
// Microsoft x64 complete object locator (signature 1) before its virtual
// table. Objects made by GCC do not: reading their tables as Microsoft's
// would fault inside the runtime's cast, which then throws.
bool HasMsvcTypeInformation(const void* object);

}  // namespace KL_VRXMsvc
