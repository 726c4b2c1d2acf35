// Process-wide state of the whole library, as it is right after the library
// is loaded.
#pragma once

// Puts every piece of process-wide state back to its load-time value: the
// HID library unbound (released through the active OS), an empty path list,
// both transport status variables 0, FamilyIds of family 1, and an empty
// ProcessLastError. The emulator calls it whenever it takes over or hands
// back the OS, so that no binding points into an OS that is gone.
void ResetLibraryState();
