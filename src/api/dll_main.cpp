// Entry point of KL_VRX.dll (linked into the Windows DLL only).
#include "../os/win32/windows_api.h"

// The library starts no thread and has nothing to do when a host's thread
// starts or ends, so those notifications are turned off: hosts with many
// threads then pay nothing for having it loaded. Everything else is set up on
// first use.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
