// The little a host built for the Microsoft C++ ABI needs without any
// Microsoft header or library: the msvcrt.dll and kernel32.dll functions it
// calls (imported through import libraries made from the .def files
// beside this one), type_info for typeid, the report of failed checks, and
// an entry point that runs HostMain and exits with 0 only when it returns 0
// and no check failed.
#pragma once

#include <stddef.h>

extern "C" {
int printf(const char* format, ...);
void* __stdcall LoadLibraryA(const char* name);
void* __stdcall GetProcAddress(void* module, const char* name);
int __stdcall FreeLibrary(void* module);
int __stdcall VirtualProtect(void* address, size_t size, unsigned long protection,
                             unsigned long* oldProtection);
}

// The runtime's class of typeid results, as its headers declare it.
class type_info {
  public:
    virtual ~type_info();
    const char* name() const;  // undecorated, e.g. "class TVRXHardwareController"

  private:
    void* undecoratedName;
    char decoratedName[1];
};

namespace std {
using ::type_info;
}  // namespace std

// The host program's own code: 0 when it ran through.
int HostMain();
