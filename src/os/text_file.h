// An append-mode text file that stores every "\n" as CR LF on every OS, so a
// log written on Linux is byte-identical to one written on Windows.
#pragma once

#include <string>

#include "os/append_file.h"

namespace KL_VRXOS {

class TTextFile {
  public:
    // Opens nativePath for appending (created when missing; see TAppendFile
    // for what is refused). A missing directory, a read-only place or a
    // refused path leaves the file closed (Good() false).
    explicit TTextFile(const std::string& nativePath);
    // Writes out what is still buffered, then closes the file.
    ~TTextFile();
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    // True while the file is open and no write has failed.
    bool Good() const;

    // Appends text, each "\n" as "\r\n". Buffered; reaches the file when the
    // buffer fills or the object is destroyed. Ignored while not Good().
    void Write(const std::string& text);

    // Writes the buffer out to the file.
    void Flush();

  private:
    // Text waiting for the file: written out once it holds this much.
    static constexpr size_t BufferSize = 8192;

    TAppendFile file;
    std::string buffer;
    bool failed = false;
};

}  // namespace KL_VRXOS
