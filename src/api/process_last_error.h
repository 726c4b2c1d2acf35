// The exports' last-error text: one process-wide buffer of 256 characters,
// written only on a failure and never cleared.
#pragma once

#include <cstddef>

inline constexpr std::size_t ProcessLastErrorSize = 256;

extern char ProcessLastError[ProcessLastErrorSize];

// Copies at most 255 characters of text over the buffer, as a bounded string
// copy does; the 256th character is never written, so it stays terminated.
void SetProcessLastError(const char* text);
