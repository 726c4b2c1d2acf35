#include "os/linux/errno_map.h"

#include <cerrno>

#include "os/win_types.h"

namespace KL_VRXOS {

uint32_t WindowsErrorFromErrno(int error) {
    switch (error) {
        case ENOENT:
            return ErrorFileNotFound;
        case ENOTDIR:
            return ErrorPathNotFound;
        case EACCES:
        case EPERM:
            return ErrorAccessDenied;
        case EMFILE:
        case ENFILE:
            return ErrorTooManyOpenFiles;
        case ENOMEM:
            return ErrorNotEnoughMemory;
        case EINVAL:
            return ErrorInvalidParameter;
        case EBUSY:
            return ErrorBusy;
        case ENODEV:
        case ENXIO:
        case EIO:
        case EPIPE:
        case ECONNRESET:
        case ESHUTDOWN:
            return ErrorDeviceNotConnected;
        default:
            return ErrorGenFailure;
    }
}

}  // namespace KL_VRXOS
