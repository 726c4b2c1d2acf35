// A host as Microsoft's compiler builds it (clang for x86_64-pc-windows-msvc,
// no Microsoft library), from the public header only: it loads KL_VRX.dll
// at run time, drives every entry of a controller, casts with the runtime's
// dynamic_cast and typeid, deletes one controller with delete and one with
// DeleteVRX, and hands the library objects of its own.
//
//   msvc_host.exe     (KL_VRX.dll in the working directory)
#include "../host/host_checks.h"
#include "host_runtime.h"

using namespace KL_VRXSDK;

namespace {

typedef uint32_t(KL_VRX_CALL* TGetVRXDeviceCount)(uint32_t*);
typedef const char*(KL_VRX_CALL* TGetLastVRXDLLError)();
typedef KL_IVRX*(KL_VRX_CALL* TCreateVRX)(int32_t);
typedef uint32_t(KL_VRX_CALL* TDeleteVRX)(KL_IVRX*);
typedef KL_IVRX2*(KL_VRX_CALL* TGetVRX2)(KL_IVRX*);

struct TExports {
    TGetVRXDeviceCount getCount;
    TGetLastVRXDLLError lastError;
    TCreateVRX create;
    TCreateVRX createInternal;
    TDeleteVRX destroy;
    TGetVRX2 getVrx2;
};

// GetModelFamily by its number in the published table, as a host that has
// only the table calls it: slot 15, right after the one destructor entry.
uint32_t ModelFamilyBySlot(KL_IVRX* vrx) {
    typedef uint32_t (*TGet)(KL_IVRX*, uint32_t*);
    TGet get = reinterpret_cast<TGet>((*reinterpret_cast<void***>(vrx))[15]);
    uint32_t family = 0;
    return get(vrx, &family) == 0 ? family : 99;
}

// Everything a host does with a controller it created, before deleting it.
void UseController(const TExports& dll, KL_IVRX* vrx) {
    KLSYS_IVRX* sys = dynamic_cast<KLSYS_IVRX*>(vrx);
    KL_IVRX2* vrx2 = dll.getVrx2(vrx);
    HOST_CHECK(sys != 0 && static_cast<void*>(sys) == static_cast<void*>(vrx));
    HOST_CHECK(vrx2 == dynamic_cast<KL_IVRX2*>(vrx) && vrx2 == static_cast<KL_IVRX2*>(sys));
    HOST_CHECK(KL_VRXHost::SameText(typeid(*vrx).name(), "class TVRXHardwareController"));
    HOST_CHECK(ModelFamilyBySlot(vrx) == 2);
    if (sys == 0)
        return;
    KL_VRXHost::DriveSimulatedUnit(*sys);
    KL_VRXHost::CheckCallbacks(*sys);
}

}  // namespace

// A class of the host's own under the library's class name: the same
// decorated name in its type descriptor, but not the library's object.
class TVRXHardwareController final : public KL_VRXHost::THostSystem {};

namespace {

void CheckForeignObjects(const TExports& dll) {
    const char* refused = "Couldn't delete VRX object: Invalid pointer!";
    KL_VRXHost::THostVRX own;
    TVRXHardwareController impostor;
    HOST_CHECK(dll.getVrx2(&own) == 0);
    HOST_CHECK(dll.getVrx2(&impostor) == static_cast<KL_IVRX2*>(&impostor));
    HOST_CHECK(dll.destroy(&impostor) == 513);
    HOST_CHECK(KL_VRXHost::SameText(dll.lastError(), refused));
    HOST_CHECK(dll.create(-1) == 0);
    HOST_CHECK(KL_VRXHost::SameText(dll.lastError(), "Index out of range."));
    HOST_CHECK(dll.destroy(&own) == 513);
    HOST_CHECK(KL_VRXHost::SameText(dll.lastError(), refused));
    HOST_CHECK(dll.destroy(0) == 0 && dll.getVrx2(0) == 0);
}

template <typename T>
T Resolve(void* module, const char* name) {
    return reinterpret_cast<T>(GetProcAddress(module, name));
}

}  // namespace

int HostMain() {
    void* library = LoadLibraryA("KL_VRX.dll");
    if (library == 0) {
        printf("cannot load KL_VRX.dll\n");
        return 1;
    }
    TExports dll = {
        Resolve<TGetVRXDeviceCount>(library, "GetVRXDeviceCount"),
        Resolve<TGetLastVRXDLLError>(library, "GetLastVRXDLLError"),
        Resolve<TCreateVRX>(library, "CreateVRX"),
        Resolve<TCreateVRX>(library, "CreateVRXInternal"),
        Resolve<TDeleteVRX>(library, "DeleteVRX"),
        Resolve<TGetVRX2>(library, "GetVRX2"),
    };
    if (!dll.getCount || !dll.lastError || !dll.create || !dll.createInternal || !dll.destroy ||
        !dll.getVrx2) {
        printf("KL_VRX.dll lacks an export\n");
        return 1;
    }
    uint32_t count = 0;
    HOST_CHECK(dll.getCount(&count) == 0 && count >= 1);

    // One controller goes through the scalar deleting destructor, which
    // frees it inside the library; the other through DeleteVRX.
    KL_IVRX* deleted = dll.createInternal(0);
    KL_IVRX* released = dll.create(0);
    HOST_CHECK(deleted != 0 && released != 0 && deleted != released);
    if (deleted != 0) {
        UseController(dll, deleted);
        delete deleted;
    }
    if (released != 0) {
        UseController(dll, released);
        HOST_CHECK(dll.destroy(released) == 0);
    }
    CheckForeignObjects(dll);

    FreeLibrary(library);
    return 0;
}
