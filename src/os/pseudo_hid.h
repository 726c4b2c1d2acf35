// What every stand-in for Windows' hid.dll (Linux's, the emulator's) answers
// alike: which names load it, and how its string queries fill a buffer.
#pragma once

#include <cstdint>
#include <string>

#include "os/win_types.h"

namespace KL_VRXOS {

// True for "hid.dll" and, as Windows appends ".dll" to a bare name, "hid";
// any case. fileName must not be null.
bool IsHidDllName(const char* fileName);

// Fills buffer as HidD_GetProductString and its siblings do: text as a
// NUL-terminated UTF-16LE string, bytes outside ASCII as '?'. FALSE with 87
// for a null buffer, 122 when bufferLength bytes cannot hold it.
BOOLEAN WriteHidString(const std::string& text, void* buffer, uint32_t bufferLength);

}  // namespace KL_VRXOS
