// Loading a module of Windows' own: from the system directory, never from the
// directories a plain LoadLibraryA searches first.
//
// A bare LoadLibraryA("hid.dll") looks in the application's directory and
// the current directory before System32, and hid.dll is not one of Windows'
// known DLLs, so a hid.dll planted beside the host would run inside it.
#pragma once

#include "os/win_types.h"

namespace KL_VRXOS {

// How the system directory is named to the loader.
enum class TSystemDirectorySearch {
    // LoadLibraryExA(name, LOAD_LIBRARY_SEARCH_SYSTEM32): Windows 8 on,
    // Windows 7 and Vista with update KB2533623, Wine.
    SearchFlag,
    // LoadLibraryExA("<system directory>\name", LOAD_WITH_ALTERED_SEARCH_PATH):
    // systems that do not know the flag. The module's own imports are then
    // looked for in the system directory first too.
    ExplicitPath
};

// The form this system supports: SearchFlag wherever kernel32 exports
// AddDllDirectory, which came with the flag. Asked once per process.
TSystemDirectorySearch SupportedSystemDirectorySearch();

// Loads fileName, a bare file name such as "hid.dll", from the system
// directory only. Returns the module, or null with GetLastError as the loader
// left it (126 when the system directory has no such module). A name with a
// directory or drive part is refused with 126 without asking the loader; a
// null name with 87.
HMODULE LoadSystemLibrary(const char* fileName, TSystemDirectorySearch search);

}  // namespace KL_VRXOS
