// The exports' last-error text, the api's part of the library state: one
// process-wide buffer of 256 characters, written only on a failure and never
// cleared.
//
// Every write holds the state lock, so two failing exports never mix their
// texts in the buffer. Hosts read it through GetLastVRXDLLError's pointer
// without any lock: the 256th character is never written, so a read always
// ends within the buffer, and the text is the latest failure's unless
// another thread's export fails while it is read.
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
// stays terminated. Takes the state lock. Writes this thread's text as well.
void SetProcessLastError(const char* text) noexcept;

// The calling thread's own last-error text: the latest that this thread
// wrote with SetProcessLastError or SetThreadLastError ("" before any), which
// no other thread's failure overwrites. The C interface's kl_vrx_last_error.
const char* ThreadLastError() noexcept;
void SetThreadLastError(const char* text) noexcept;

}  // namespace KL_VRXApi
