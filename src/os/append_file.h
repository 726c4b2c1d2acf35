// The file under the traffic log: opened for appending only, by the rules of
// the build's OS, and written without any buffering of its own.
//
// Linux: open(2) with O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC
// and mode 0644 less the umask; never truncated. What lies at the path must
// be a plain file of its own: a symbolic link at the last component, a hard
// link (a second name of some other file), a FIFO, a socket, a device or a
// directory counts as a file that could not be opened. So a link planted in
// a shared directory never lets a privileged host append to the file it
// names, and a FIFO never blocks the host.
// Windows: CreateFileA for appending (FILE_APPEND_DATA, OPEN_ALWAYS), shared
// for reading and writing, not inherited by child processes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace KL_VRXOS {

class TAppendFile {
  public:
    // Opens nativePath for appending, creating it when missing. IsOpen() is
    // false when it could not be opened or was refused; nothing is created
    // then, and nothing at the path is changed.
    explicit TAppendFile(const std::string& nativePath);
    ~TAppendFile();
    TAppendFile(const TAppendFile&) = delete;
    TAppendFile& operator=(const TAppendFile&) = delete;

    bool IsOpen() const;

    // Appends size bytes at the end of the file. false when the system did
    // not take them all (disk full, say); the file stays open.
    bool Append(const char* data, size_t size);

  private:
    // The open descriptor (Linux) or handle (Windows); -1 when not open.
    intptr_t native = -1;
};

}  // namespace KL_VRXOS
