// A host as Microsoft's compiler builds it (clang for x86_64-pc-windows-msvc,
// no Microsoft library), from the public header only. It links KL_VRX.lib,
// as an MSVC project does: the import library names the DLL and its six
// exports, and the imported functions are the DLL's own. It drives every
// entry of a controller, casts with the runtime's dynamic_cast and typeid,
// deletes one controller with delete and one with DeleteVRX, hands the
// library objects of its own, and makes the DLL's allocations fail.
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

// KL_VRX.dll's import of malloc, pointed at FailingMalloc: the allocation
// numbered failAt (from 1, counted from the last reset) fails.
typedef void* (*TMalloc)(size_t size);
TMalloc dllMalloc = 0;
unsigned allocations = 0;
unsigned failAt = 0;
void* FailingMalloc(size_t size) {
    return ++allocations == failAt ? 0 : dllMalloc(size);
}

// Points module's import of name (from whichever DLL) at replacement and
// returns what it held: the import directory of a PE32+ image read by hand.
void* PatchImport(void* module, const char* name, void* replacement) {
    char* const base = static_cast<char*>(module);
    const uint32_t headers = *reinterpret_cast<uint32_t*>(base + 0x3C);
    const uint32_t imports = *reinterpret_cast<uint32_t*>(base + headers + 144);
    // Each descriptor: lookup table, time stamp, forwarder, DLL name, address table.
    for (uint32_t* dll = reinterpret_cast<uint32_t*>(base + imports); dll[3] != 0; dll += 5) {
        uint64_t* names = reinterpret_cast<uint64_t*>(base + (dll[0] != 0 ? dll[0] : dll[4]));
        uint64_t* slots = reinterpret_cast<uint64_t*>(base + dll[4]);
        for (; *names != 0; ++names, ++slots) {
            if ((*names >> 63) != 0 || !SameText(base + *names + 2, name))
                continue;  // by ordinal, or another name (after its 2-byte hint)
            unsigned long was = 0;
            VirtualProtect(slots, sizeof *slots, 0x04 /* read-write */, &was);
            void* const old = reinterpret_cast<void*>(*slots);
            *slots = reinterpret_cast<uint64_t>(replacement);
            return old;
        }
    }
    return 0;
}

// Each allocation the DLL makes creating a controller of the simulated unit
// fails in turn: creation returns null with an out-of-memory text, the last
// one (the Microsoft-ABI controller object itself) included.
void CheckOutOfMemory(void* library) {
    dllMalloc = reinterpret_cast<TMalloc>(
        PatchImport(library, "malloc", reinterpret_cast<void*>(&FailingMalloc)));
    HOST_CHECK(dllMalloc != 0);
    if (dllMalloc == 0)
        return;
    // Attempt 0 counts the allocations; attempt n fails the n-th.
    unsigned total = 0;
    for (unsigned n = 0; n <= total; ++n) {
        HOST_CHECK(CreateVRX(-1) == 0);  // a text of another kind until the failure
        allocations = 0;
        failAt = n;
        KL_IVRX* vrx = CreateVRX(0);
        failAt = 0;
        if (n == 0)
            total = allocations;
        // The core's failures say what ran out ("Out of memory" first).
        const char* text = GetLastVRXDLLError();
        bool outOfMemory = vrx == 0;
        for (const char* c = "Out of memory"; *c != '\0' && outOfMemory; ++c, ++text)
            outOfMemory = *c == *text;
        if (n > 0 && (vrx != 0 ? n == total : !outOfMemory))
            Fail(GetLastVRXDLLError(), "creation out of memory", n, total);
        if (n == total)
            HOST_CHECK(n == 0 || SameText(GetLastVRXDLLError(),
                                          "Out of memory while creating the VRX controller."));
        HOST_CHECK(DeleteVRX(vrx) == 0);
    }
    HOST_CHECK(total > 0);
    PatchImport(library, "malloc", reinterpret_cast<void*>(dllMalloc));
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
    CheckOutOfMemory(library);
    typedef const char*(KL_VRX_CALL * TGetLastVRXDLLError)();
    TGetLastVRXDLLError lastError =
        reinterpret_cast<TGetLastVRXDLLError>(GetProcAddress(library, "GetLastVRXDLLError"));
    HOST_CHECK(lastError != 0 && lastError() == GetLastVRXDLLError());
    FreeLibrary(library);
    return 0;
}
