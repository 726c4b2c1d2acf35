#include "os/text_file.h"

namespace KL_VRXOS {

// Binary mode on every OS: the CR LF conversion is ours, so Windows' text-mode
// translation must not add a second CR.
TTextFile::TTextFile(const std::string& nativePath)
    : stream(nativePath, std::ios_base::out | std::ios_base::app | std::ios_base::binary) {}

bool TTextFile::Good() const {
    return stream.is_open() && stream.good();
}

// One write per text: a file that several loggers share then gets whole
// dumps from each, never a line torn at the stream's block boundary. The
// CR LF copy reuses its storage from one text to the next.
void TTextFile::Write(const std::string& text) {
    if (!stream.is_open())
        return;
    converted.clear();
    for (char c : text) {
        if (c == '\n')
            converted.push_back('\r');
        converted.push_back(c);
    }
    stream.write(converted.data(), static_cast<std::streamsize>(converted.size()));
}

void TTextFile::Flush() {
    if (stream.is_open())
        stream.flush();
}

}  // namespace KL_VRXOS
