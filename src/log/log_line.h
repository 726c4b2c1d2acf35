// TLogLine: one record of the traffic log, formatted straight into the
// logger's chunk as the text, numbers and bytes it is made of come in, so a
// record costs no string of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace KL_VRXLog {

class TLogLine {
  public:
    // Bytes as the records list them: "%02X " for each, upper-case hex pairs
    // each followed by a blank.
    struct Hex {
        const uint8_t* bytes;
        size_t count;
    };
    // Bytes as characters, up to the first zero byte and at most count.
    struct RawText {
        const uint8_t* bytes;
        size_t count;
    };

    explicit TLogLine(std::string& chunk) : chunk(chunk) {}

    TLogLine& operator<<(std::string_view text);
    // Decimal, with a sign when negative.
    TLogLine& operator<<(int32_t number);
    TLogLine& operator<<(uint32_t number);
    TLogLine& operator<<(Hex bytes);
    TLogLine& operator<<(RawText bytes);

  private:
    std::string& chunk;
};

}  // namespace KL_VRXLog
