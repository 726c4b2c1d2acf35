#include "os/text_file.h"

namespace KL_VRXOS {

// Binary mode on every OS: the CR LF conversion is ours, so Windows' text-mode
// translation must not add a second CR.
TTextFile::TTextFile(const std::string& nativePath)
    : stream(nativePath, std::ios_base::out | std::ios_base::app | std::ios_base::binary) {}

bool TTextFile::Good() const {
    return stream.is_open() && stream.good();
}

void TTextFile::Write(const std::string& text) {
    if (!stream.is_open())
        return;
    std::string out;
    out.reserve(text.size() + text.size() / 16 + 2);
    for (char c : text) {
        if (c == '\n')
            out.push_back('\r');
        out.push_back(c);
    }
    stream.write(out.data(), static_cast<std::streamsize>(out.size()));
}

void TTextFile::Flush() {
    if (stream.is_open())
        stream.flush();
}

}  // namespace KL_VRXOS
