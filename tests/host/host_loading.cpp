// A host as the library's users write one: it includes only the public
// header, loads the shared library at run time, resolves the six exports by
// name and drives the simulated unit through the interfaces.
//
//   test_host_loading <path of libKL_VRX.so or KL_VRX.dll>
#include <stdio.h>
#include <string.h>

#include "KL_VRX/KL_VRX.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

using namespace KL_VRXSDK;

namespace {

int failures = 0;

#define CHECK(condition)                                                            \
    do {                                                                            \
        if (!(condition)) {                                                         \
            fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
            ++failures;                                                             \
        }                                                                           \
    } while (0)

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

// Not a controller: the library must refuse to delete or re-type it.
class THostVRX : public KL_IVRX {
  public:
    virtual uint32_t GetPositionCount(uint32_t*) { return 0; }
    virtual uint32_t GetPosition21(uint32_t*) { return 0; }
    virtual uint32_t SetPosition21(uint32_t) { return 0; }
    virtual uint32_t GetPosition20(uint32_t*) { return 0; }
    virtual uint32_t SetPosition20(uint32_t) { return 0; }
    virtual uint32_t GetPosition22(uint32_t*) { return 0; }
    virtual uint32_t SetPosition22(uint32_t) { return 0; }
    virtual uint32_t GetPosition23(uint32_t*) { return 0; }
    virtual uint32_t SetPosition23(uint32_t) { return 0; }
    virtual uint32_t SetState224(uint32_t) { return 0; }
    virtual uint32_t SetState18(uint32_t) { return 0; }
    virtual uint32_t GetPosition24(uint32_t*) { return 0; }
    virtual uint32_t SetPosition24(uint32_t) { return 0; }
    virtual const char* GetLastErrorText() { return ""; }
};

// Slot 16 (GetModelFamily) called by number, as a host that has only the
// published table does: it lies past the destructor's two entries.
uint32_t ModelFamilyBySlot(KL_IVRX* vrx) {
    typedef uint32_t (*TGet)(KL_IVRX*, uint32_t*);
    void** table = *reinterpret_cast<void***>(vrx);
    TGet get = 0;
    memcpy(&get, &table[16], sizeof get);
    uint32_t family = 0;
    return get(vrx, &family) == 0 ? family : 99;
}

void DriveSimulatedUnit(TCreateVRX create, TDeleteVRX destroy, TGetVRX2 getVrx2) {
    KL_IVRX* vrx = create(0);
    CHECK(vrx != 0);
    if (vrx == 0)
        return;
    uint32_t value = 0;
    CHECK(vrx->GetPositionCount(&value) == 0 && value == 4);
    CHECK(vrx->SetPosition21(3) == 0);
    CHECK(vrx->GetPosition21(&value) == 0 && value == 3);
    CHECK(vrx->SetPosition21(9) == 512);
    CHECK(strcmp(vrx->GetLastErrorText(), "Invalid parameter.") == 0);

    // The system interface is reached with the host's own type information.
    KL_IVRX2* vrx2 = getVrx2(vrx);
    KLSYS_IVRX* sys = dynamic_cast<KLSYS_IVRX*>(vrx);
    CHECK(vrx2 != 0 && static_cast<void*>(vrx2) == static_cast<void*>(vrx) && sys != 0);
    if (vrx2 != 0 && sys != 0) {
        CHECK(vrx2->GetModelFamily(&value) == 0 && value == 2);
        CHECK(ModelFamilyBySlot(vrx) == 2);
        CHECK(sys->Close(true) == 0 && sys->GetPositionCount(&value) == 2);
    }
    CHECK(destroy(vrx) == 0);
}

}  // namespace

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
    CHECK(getCount && lastError && create && createInternal && destroy && getVrx2);
    if (failures != 0)
        return 1;

    CHECK(strcmp(lastError(), "") == 0);
    uint32_t count = 0;
    CHECK(getCount(&count) == 0 && count >= 1);

    DriveSimulatedUnit(create, destroy, getVrx2);
    DriveSimulatedUnit(createInternal, destroy, getVrx2);

    CHECK(create(-1) == 0);
    CHECK(strcmp(lastError(), "Index out of range.") == 0);
    CHECK(destroy(0) == 0);
    CHECK(getVrx2(0) == 0);
    THostVRX own;
    CHECK(getVrx2(&own) == 0);
    CHECK(strcmp(lastError(), "Index out of range.") == 0);  // untouched by null and own
    CHECK(destroy(&own) == 513);
    CHECK(strcmp(lastError(), "Couldn't delete VRX object: Invalid pointer!") == 0);

    UNLOAD_LIBRARY(library);
    if (failures == 0)
        printf("host test passed\n");
    return failures == 0 ? 0 : 1;
}
