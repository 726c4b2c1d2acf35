// A host as the library's users write one with GCC: it includes only the
// public header, loads the shared library at run time, resolves the six
// exports by name and drives the simulated unit through the interfaces.
// On Linux it sees the library's own (Itanium) layout; on Windows the
// header gives it the layout of KL_VRX.dll's Microsoft-ABI objects, and it
// keeps to what such a host may do: no dynamic_cast, typeid or delete on
// the library's objects.
//
//   test_host_loading <path of libKL_VRX.so or KL_VRX.dll>
#include <stdio.h>
#include <string.h>

#include "host_checks.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

using namespace KL_VRXSDK;
using namespace KL_VRXHost;

namespace {

int failures = 0;

// The export named name into function (null when missing), as a host on
// each system resolves it.
template <typename T>
void Resolve(void* module, const char* name, T& function) {
#if defined(_WIN32)
    const FARPROC entry = GetProcAddress(static_cast<HMODULE>(module), name);
#else
    void* const entry = dlsym(module, name);
#endif
    memcpy(&function, &entry, sizeof function);  // no cast between function types
}

// GetModelFamily's number in the published table: after the destructor's
// one entry (the DLL) or two (the Itanium layout). The system interface as
// this host may reach it: with its own type information where the library
// shares its ABI, from GetVRX2 otherwise.
#if defined(KL_VRX_DLL_LAYOUT_FOR_GCC)
const int ModelFamilySlot = 15;
KLSYS_IVRX* SystemInterface(KL_IVRX*, KL_IVRX2* vrx2) {
    return static_cast<KLSYS_IVRX*>(vrx2);
}
#else
const int ModelFamilySlot = 16;
KLSYS_IVRX* SystemInterface(KL_IVRX* vrx, KL_IVRX2* vrx2) {
    KLSYS_IVRX* sys = dynamic_cast<KLSYS_IVRX*>(vrx);
    HOST_CHECK(sys == vrx2);
    return sys;
}
#endif

void DriveController(const TExports& dll, KL_IVRX* vrx) {
    HOST_CHECK(vrx != 0);
    if (vrx == 0)
        return;
    KL_IVRX2* vrx2 = dll.getVrx2(vrx);
    HOST_CHECK(vrx2 != 0 && static_cast<void*>(vrx2) == static_cast<void*>(vrx));
    HOST_CHECK(ModelFamilyBySlot(vrx, ModelFamilySlot) == 2);
    KLSYS_IVRX* sys = vrx2 != 0 ? SystemInterface(vrx, vrx2) : 0;
    if (sys != 0) {
        DriveSimulatedUnit(*sys);
        CheckCallbacks(*sys);
    }
    HOST_CHECK(dll.destroy(vrx) == 0);
}

}  // namespace

void KL_VRXHost::Fail(const char* what, const char* where, uint32_t first, uint32_t second) {
    fprintf(stderr, "failed: %s (%s: %u, %u)\n", what, where, first, second);
    ++failures;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s <shared library>\n", argv[0]);
        return 2;
    }
#if defined(_WIN32)
    void* library = LoadLibraryA(argv[1]);
#else
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
#endif
    if (library == 0) {
        fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    TExports dll;
    Resolve(library, "GetVRXDeviceCount", dll.getCount);
    Resolve(library, "GetLastVRXDLLError", dll.lastError);
    Resolve(library, "CreateVRX", dll.create);
    Resolve(library, "CreateVRXInternal", dll.createInternal);
    Resolve(library, "DeleteVRX", dll.destroy);
    Resolve(library, "GetVRX2", dll.getVrx2);
    HOST_CHECK(dll.getCount && dll.lastError && dll.create && dll.createInternal && dll.destroy &&
               dll.getVrx2);
    if (failures != 0)
        return 1;

    HOST_CHECK(SameText(dll.lastError(), ""));
    uint32_t count = 0;
    HOST_CHECK(dll.getCount(&count) == 0 && count >= 1);
    DriveController(dll, dll.create(0));
    DriveController(dll, dll.createInternal(0));

    THostVRX own;
    THostSystem system;
#if defined(KL_VRX_DLL_LAYOUT_FOR_GCC)
    // The DLL cannot read GCC's type information: a host's own object is foreign.
    CheckForeignObjects(dll, own, system, 0);
#else
    CheckForeignObjects(dll, own, system, &system);
#endif

#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(library));
#else
    dlclose(library);
#endif
    if (failures == 0)
        printf("host test passed\n");
    return failures == 0 ? 0 : 1;
}
