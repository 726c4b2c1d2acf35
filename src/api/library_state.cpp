#include "api/library_state.h"

#include <cstring>

#include "api/process_last_error.h"
#include "controller/controller_state.h"

void ResetLibraryState() {
    std::memset(ProcessLastError, 0, ProcessLastErrorSize);
    ResetControllerState();
}
