#include "api/process_last_error.h"

#include <cstring>

char ProcessLastError[ProcessLastErrorSize] = {};

void SetProcessLastError(const char* text) {
    // strncpy pads the rest of the 255 characters with NUL, like the bounded
    // copy hosts expect; ProcessLastError[255] stays the zero it was at load.
    std::strncpy(ProcessLastError, text != nullptr ? text : "", ProcessLastErrorSize - 1);
}
