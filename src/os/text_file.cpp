#include "os/text_file.h"

namespace KL_VRXOS {

// The CR LF conversion is ours and the file takes bytes as they are, so no
// system adds a second CR.
TTextFile::TTextFile(const std::string& nativePath) : file(nativePath) {
    if (file.IsOpen())
        buffer.reserve(BufferSize * 2);
}

TTextFile::~TTextFile() {
    Flush();
}

bool TTextFile::Good() const {
    return file.IsOpen() && !failed;
}

void TTextFile::Write(const std::string& text) {
    if (!Good())
        return;
    for (char c : text) {
        if (c == '\n')
            buffer.push_back('\r');
        buffer.push_back(c);
    }
    if (buffer.size() >= BufferSize)
        Flush();
}

void TTextFile::Flush() {
    if (Good() && !buffer.empty() && !file.Append(buffer.data(), buffer.size()))
        failed = true;
    buffer.clear();
}

}  // namespace KL_VRXOS
