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
using KL_VRXHost::SameText;

namespace {

int failures = 0;

typedef uint32_t(KL_VRX_CALL* TGetVRXDeviceCount)(uint32_t*);
typedef const char*(KL_VRX_CALL* TGetLastVRXDLLError)();
typedef KL_IVRX*(KL_VRX_CALL* TCreateVRX)(int32_t);
typedef uint32_t(KL_VRX_CALL* TDeleteVRX)(KL_IVRX*);
typedef KL_IVRX2*(KL_VRX_CALL* TGetVRX2)(KL_IVRX*);

// The loader's three calls, as a host on each system makes them.
#if defined(_WIN32)
typedef HMODULE TModule;
#define LOAD_LIBRARY(path) LoadLibraryA(path)
#define ENTRY_POINT(module, name) GetProcAddress(module, name)
#define UNLOAD_LIBRARY(module) FreeLibrary(module)
#else
typedef void* TModule;
#define LOAD_LIBRARY(path) dlopen(path, RTLD_NOW | RTLD_LOCAL)
#define ENTRY_POINT(module, name) dlsym(module, name)
#define UNLOAD_LIBRARY(module) dlclose(module)
#endif

// The export named name as a function of type T (null when missing).
template <typename T>
T Resolve(TModule module, const char* name) {
    T function = 0;
    const auto entry = ENTRY_POINT(module, name);
    memcpy(&function, &entry, sizeof function);  // no cast between function types
    return function;
}

// GetModelFamily called by its number in the published table, as a host
// that has only the table does: after the destructor's one entry (the DLL)
// or two (the Itanium layout).
#if defined(KL_VRX_DLL_LAYOUT_FOR_GCC)
const int ModelFamilySlot = 15;
#else
const int ModelFamilySlot = 16;
#endif

uint32_t ModelFamilyBySlot(KL_IVRX* vrx) {
    typedef uint32_t (*TGet)(KL_IVRX*, uint32_t*);
    void** table = *reinterpret_cast<void***>(vrx);
    TGet get = 0;
    memcpy(&get, &table[ModelFamilySlot], sizeof get);
    uint32_t family = 0;
    return get(vrx, &family) == 0 ? family : 99;
}

// The system interface as this host may reach it: with its own type
// information where the library shares its ABI, from GetVRX2 otherwise.
KLSYS_IVRX* SystemInterface(KL_IVRX* vrx, KL_IVRX2* vrx2) {
#if defined(KL_VRX_DLL_LAYOUT_FOR_GCC)
    (void)vrx;
    return static_cast<KLSYS_IVRX*>(vrx2);
#else
    KLSYS_IVRX* sys = dynamic_cast<KLSYS_IVRX*>(vrx);
    HOST_CHECK(sys == vrx2);
    return sys;
#endif
}

void DriveController(TCreateVRX create, TDeleteVRX destroy, TGetVRX2 getVrx2) {
    KL_IVRX* vrx = create(0);
    HOST_CHECK(vrx != 0);
    if (vrx == 0)
        return;
    KL_IVRX2* vrx2 = getVrx2(vrx);
    HOST_CHECK(vrx2 != 0 && static_cast<void*>(vrx2) == static_cast<void*>(vrx));
    HOST_CHECK(ModelFamilyBySlot(vrx) == 2);
    KLSYS_IVRX* sys = vrx2 != 0 ? SystemInterface(vrx, vrx2) : 0;
    if (sys != 0) {
        KL_VRXHost::DriveSimulatedUnit(*sys);
        KL_VRXHost::CheckCallbacks(*sys);
    }
    HOST_CHECK(destroy(vrx) == 0);
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
    TModule library = LOAD_LIBRARY(argv[1]);
    if (library == 0) {
        fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    TGetVRXDeviceCount getCount = Resolve<TGetVRXDeviceCount>(library, "GetVRXDeviceCount");
    TGetLastVRXDLLError lastError = Resolve<TGetLastVRXDLLError>(library, "GetLastVRXDLLError");
    TCreateVRX create = Resolve<TCreateVRX>(library, "CreateVRX");
    TCreateVRX createInternal = Resolve<TCreateVRX>(library, "CreateVRXInternal");
    TDeleteVRX destroy = Resolve<TDeleteVRX>(library, "DeleteVRX");
    TGetVRX2 getVrx2 = Resolve<TGetVRX2>(library, "GetVRX2");
    HOST_CHECK(getCount && lastError && create && createInternal && destroy && getVrx2);
    if (failures != 0)
        return 1;

    HOST_CHECK(SameText(lastError(), ""));
    uint32_t count = 0;
    HOST_CHECK(getCount(&count) == 0 && count >= 1);

    DriveController(create, destroy, getVrx2);
    DriveController(createInternal, destroy, getVrx2);

    HOST_CHECK(create(-1) == 0);
    HOST_CHECK(SameText(lastError(), "Index out of range."));
    HOST_CHECK(destroy(0) == 0);
    HOST_CHECK(getVrx2(0) == 0);
    KL_VRXHost::THostVRX own;
    KL_VRXHost::THostSystem system;
    HOST_CHECK(getVrx2(&own) == 0);
#if defined(KL_VRX_DLL_LAYOUT_FOR_GCC)
    // The DLL cannot read GCC's type information: a host's own object is foreign.
    HOST_CHECK(getVrx2(&system) == 0);
#else
    HOST_CHECK(getVrx2(&system) == static_cast<KL_IVRX2*>(&system));
#endif
    HOST_CHECK(SameText(lastError(), "Index out of range."));  // untouched by null and own
    HOST_CHECK(destroy(&own) == 513);
    HOST_CHECK(SameText(lastError(), "Couldn't delete VRX object: Invalid pointer!"));
    HOST_CHECK(destroy(&system) == 513);

    UNLOAD_LIBRARY(library);
    if (failures == 0)
        printf("host test passed\n");
    return failures == 0 ? 0 : 1;
}
