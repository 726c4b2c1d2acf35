#include "os/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace KL_VRXOS {

namespace {

// O_NONBLOCK only for the open itself: a FIFO without a reader then fails
// with ENXIO instead of blocking the host until someone reads it.
constexpr int OpenFlags =
    O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
constexpr mode_t CreateMode = 0644;  // less the umask

// A regular file with no other name: a hard link planted to some other
// file is as unwelcome as a symbolic one.
bool IsPlainFile(int descriptor) {
    struct stat status {};
    return fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_nlink == 1;
}

bool ClearNonBlocking(int descriptor) {
    const int flags = fcntl(descriptor, F_GETFL);
    return flags != -1 && fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

}  // namespace

TAppendFile::TAppendFile(const std::string& nativePath) {
    const int descriptor = ::open(nativePath.c_str(), OpenFlags, CreateMode);
    if (descriptor < 0)
        return;
    if (!IsPlainFile(descriptor) || !ClearNonBlocking(descriptor)) {
        ::close(descriptor);
        return;
    }
    native = descriptor;
}

TAppendFile::~TAppendFile() {
    if (native >= 0)
        ::close(static_cast<int>(native));
}

bool TAppendFile::IsOpen() const {
    return native >= 0;
}

bool TAppendFile::Append(const char* data, size_t size) {
    if (native < 0)
        return false;
    while (size > 0) {
        const ssize_t written = ::write(static_cast<int>(native), data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace KL_VRXOS
