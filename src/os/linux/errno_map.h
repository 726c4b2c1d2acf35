// Windows error codes for the errno values the hidraw backend meets.
#pragma once

#include <cstdint>

namespace KL_VRXOS {

// ERROR_INVALID_FUNCTION: a read on a collection without input reports.
inline constexpr uint32_t ErrorInvalidFunction = 1;
// ERROR_TOO_MANY_OPEN_FILES.
inline constexpr uint32_t ErrorTooManyOpenFiles = 4;
// ERROR_BUSY.
inline constexpr uint32_t ErrorBusy = 170;

// ENOENT 2, ENOTDIR 3, EACCES/EPERM 5, EMFILE/ENFILE 4, ENOMEM 8, EINVAL 87,
// EBUSY 170, and every sign of a vanished device (ENODEV, ENXIO, EIO, EPIPE,
// ECONNRESET, ESHUTDOWN) 1167 ERROR_DEVICE_NOT_CONNECTED; anything else is
// 31 ERROR_GEN_FAILURE, Windows' answer for a device error it cannot name.
uint32_t WindowsErrorFromErrno(int error);

}  // namespace KL_VRXOS
