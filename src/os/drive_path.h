// The "C:" drive on a system without drives (Linux, the emulator): the log
// path "C:\VRXHIDLog.log" must land in a directory of the host's choosing.
#pragma once

#include <memory>
#include <string>

#include "os/text_file.h"

namespace KL_VRXOS {

// Where a Windows path lands: "C:\dir\file" (any case, with or without the
// backslash after the colon) becomes <driveRoot>/dir/file, whether driveRoot
// ends in a slash or not; a path without a drive stays as it is, relative to
// the current directory; backslashes become slashes. Another drive does not
// exist: the result is empty.
std::string NativePathOnDrive(const std::string& windowsPath, std::string driveRoot);

// Opens the text file NativePathOnDrive names for appending (never null;
// Good() false when it cannot be opened, nothing created).
std::unique_ptr<TTextFile> OpenTextFileOnDrive(const std::string& windowsPath,
                                               const std::string& driveRoot);

}  // namespace KL_VRXOS
