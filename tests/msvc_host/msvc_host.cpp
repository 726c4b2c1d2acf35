// A host as Microsoft's compiler builds it (clang for x86_64-pc-windows-msvc,
// no Microsoft library), from the public header only. It links KL_VRX.lib,
// as an MSVC project does: the import library names the DLL and its six
// exports, and the imported functions are the DLL's own. It drives every
// entry of a controller, casts with the runtime's dynamic_cast and typeid,
// deletes one controller with delete and one with DeleteVRX, and hands the
// library objects of its own.
//
//   msvc_host.exe     (KL_VRX.dll in the working directory)
#include "../host/host_checks.h"
#include "host_runtime.h"

using namespace KL_VRXSDK;
using namespace KL_VRXHost;

namespace {

// Everything a host does with a controller it created, before deleting it.
void UseController(KL_IVRX* vrx) {
    KLSYS_IVRX* sys = dynamic_cast<KLSYS_IVRX*>(vrx);
    KL_IVRX2* vrx2 = GetVRX2(vrx);
    HOST_CHECK(sys != 0 && static_cast<void*>(sys) == static_cast<void*>(vrx));
    HOST_CHECK(vrx2 == dynamic_cast<KL_IVRX2*>(vrx) && vrx2 == static_cast<KL_IVRX2*>(sys));
    HOST_CHECK(SameText(typeid(*vrx).name(), "class TVRXHardwareController"));
    // Slot 15: right after the one destructor entry.
    HOST_CHECK(ModelFamilyBySlot(vrx, 15) == 2);
    if (sys == 0)
        return;
    DriveSimulatedUnit(*sys);
    CheckCallbacks(*sys);
}

}  // namespace

// A class of the host's own under the library's class name: the same
// decorated name in its type descriptor, but not the library's object.
class TVRXHardwareController final : public THostSystem {};

int HostMain() {
    uint32_t count = 0;
    HOST_CHECK(GetVRXDeviceCount(&count) == 0 && count >= 1);

    // One controller goes through the scalar deleting destructor, which
    // frees it inside the library; the other through DeleteVRX.
    KL_IVRX* deleted = CreateVRXInternal(0);
    KL_IVRX* released = CreateVRX(0);
    HOST_CHECK(deleted != 0 && released != 0 && deleted != released);
    if (deleted != 0) {
        UseController(deleted);
        delete deleted;
    }
    if (released != 0) {
        UseController(released);
        HOST_CHECK(DeleteVRX(released) == 0);
    }
    const TExports dll = {GetVRXDeviceCount, GetLastVRXDLLError, CreateVRX,
                          CreateVRXInternal, DeleteVRX,          GetVRX2};
    THostVRX own;
    TVRXHardwareController impostor;
    CheckForeignObjects(dll, own, impostor, &impostor);

    // The same module, already loaded: its text is the one the imports left.
    void* library = LoadLibraryA("KL_VRX.dll");
    typedef const char*(KL_VRX_CALL * TGetLastVRXDLLError)();
    TGetLastVRXDLLError lastError =
        reinterpret_cast<TGetLastVRXDLLError>(GetProcAddress(library, "GetLastVRXDLLError"));
    HOST_CHECK(lastError != 0 && lastError() == GetLastVRXDLLError());
    FreeLibrary(library);
    return 0;
}
