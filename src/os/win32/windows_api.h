// The one way into <windows.h> for the library's own sources. Lean, and
// without the min/max macros that would break std::min and std::max in
// anything included after it.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
