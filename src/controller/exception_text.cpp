#include "controller/exception_text.h"

#include <cstdio>
#include <exception>
#include <new>

namespace KL_VRXController {

// Built with snprintf into the caller's buffer: running out of memory must
// not stop the report that memory ran out.
void CurrentExceptionText(char (&text)[256], const char* during) noexcept {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        std::snprintf(text, sizeof text, "Out of memory%s.", during);
    } catch (const std::exception& e) {
        std::snprintf(text, sizeof text, "Unexpected error%s: %s", during, e.what());
    } catch (...) {
        std::snprintf(text, sizeof text, "Unexpected error%s.", during);
    }
}

}  // namespace KL_VRXController
