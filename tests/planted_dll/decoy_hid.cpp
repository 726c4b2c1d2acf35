// A decoy hid.dll, planted beside a test program the way an attacker would
// plant one beside a host. It exports what the library binds, plus a marker,
// and says in the process environment that it was loaded.
#include <windows.h>

extern "C" {

__declspec(dllexport) int DecoyMarker() {
    return 1;
}

// The seven entry points the library binds; none does anything useful.
__declspec(dllexport) void HidD_GetHidGuid(GUID* guid) {
    if (guid != nullptr)
        *guid = GUID{};
}
__declspec(dllexport) BOOLEAN HidD_GetPreparsedData(HANDLE, void**) {
    return FALSE;
}
__declspec(dllexport) BOOLEAN HidD_FreePreparsedData(void*) {
    return FALSE;
}
__declspec(dllexport) LONG HidP_GetCaps(void*, void*) {
    return 0;
}
__declspec(dllexport) BOOLEAN HidD_GetSerialNumberString(HANDLE, void*, ULONG) {
    return FALSE;
}
__declspec(dllexport) BOOLEAN HidD_GetManufacturerString(HANDLE, void*, ULONG) {
    return FALSE;
}
__declspec(dllexport) BOOLEAN HidD_GetProductString(HANDLE, void*, ULONG) {
    return FALSE;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        SetEnvironmentVariableA("KL_VRX_DECOY_HID_LOADED", "1");
    return TRUE;
}

}  // extern "C"
