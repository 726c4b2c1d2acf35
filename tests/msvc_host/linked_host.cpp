// A Microsoft-ABI host that links KL_VRX.lib, as an MSVC project does,
// instead of loading the DLL itself: the import library names the DLL and
// its six exports, and the imported functions are the DLL's own.
//
//   linked_host.exe   (KL_VRX.dll in the working directory)
#include "../host/host_checks.h"
#include "host_runtime.h"

using namespace KL_VRXSDK;

int HostMain() {
    uint32_t count = 0;
    HOST_CHECK(GetVRXDeviceCount(&count) == 0 && count >= 1);
    KL_IVRX* vrx = CreateVRX(0);
    HOST_CHECK(vrx != 0 && GetVRX2(vrx) == dynamic_cast<KL_IVRX2*>(vrx));
    HOST_CHECK(DeleteVRX(vrx) == 0);
    HOST_CHECK(CreateVRXInternal(-1) == 0);

    // The same module, already loaded: its text is the one the imports left.
    void* library = LoadLibraryA("KL_VRX.dll");
    typedef const char*(KL_VRX_CALL * TGetLastVRXDLLError)();
    TGetLastVRXDLLError lastError =
        reinterpret_cast<TGetLastVRXDLLError>(GetProcAddress(library, "GetLastVRXDLLError"));
    HOST_CHECK(lastError != 0 && lastError() == GetLastVRXDLLError());
    HOST_CHECK(KL_VRXHost::SameText(GetLastVRXDLLError(), "Index out of range."));
    FreeLibrary(library);
    return 0;
}
