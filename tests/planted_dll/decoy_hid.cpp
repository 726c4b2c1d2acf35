// A decoy hid.dll, planted beside a test program the way an attacker would
// plant one beside a host. It exports a marker and says in the process
// environment that it was loaded; the library's binding of the real
// entry points is not reached: the plant is caught at its loading.
#include <windows.h>

extern "C" {

__declspec(dllexport) int DecoyMarker() {
    return 1;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        SetEnvironmentVariableA("KL_VRX_DECOY_HID_LOADED", "1");
    return TRUE;
}

}  // extern "C"
