// An append-mode text file that stores every "\n" as CR LF on every OS, so a
// log written on Linux is byte-identical to one written on Windows.
#pragma once

#include <fstream>
#include <string>

namespace KL_VRXOS {

class TTextFile {
  public:
    // Opens nativePath for appending (created when missing). A missing
    // directory or a read-only place leaves the file closed (Good() false).
    explicit TTextFile(const std::string& nativePath);

    // True while the file is open and no write has failed.
    bool Good() const;

    // Appends text, each "\n" as "\r\n". Buffered; reaches the file when the
    // buffer fills or the object is destroyed. Ignored while not Good().
    void Write(const std::string& text);

    // Flushes the buffer to the file.
    void Flush();

  private:
    std::ofstream stream;
    std::string converted;  // the text being written, with CR LF line ends
};

}  // namespace KL_VRXOS
