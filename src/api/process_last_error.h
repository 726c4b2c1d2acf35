// The exports' last-error text, the api's part of the library state: one
// process-wide buffer of 256 characters, written only on a failure and never
// cleared.
#pragma once

#include <cstddef>

namespace KL_VRXApi {

inline constexpr std::size_t ProcessLastErrorSize = 256;

// The api's process-wide state, at its load-time values.
struct TApiState {
    char processLastError[ProcessLastErrorSize] = {};
};

// The api's part of the library state.
TApiState& ApiState();

// Copies at most 255 characters of text over the buffer, as a bounded string
// copy does, padding with NUL; the 256th character is never written, so it
// stays terminated.
void SetProcessLastError(const char* text);

}  // namespace KL_VRXApi
