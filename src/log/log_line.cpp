#include "log/log_line.h"

#include <cstring>

namespace KL_VRXLog {

TLogLine& TLogLine::operator<<(std::string_view text) {
    chunk.append(text.data(), text.size());
    return *this;
}

TLogLine& TLogLine::operator<<(int32_t number) {
    if (number < 0)
        chunk += '-';
    // The magnitude of INT32_MIN does not fit an int32_t: negate unsigned.
    const uint32_t magnitude =
        number < 0 ? 0u - static_cast<uint32_t>(number) : static_cast<uint32_t>(number);
    return *this << magnitude;
}

TLogLine& TLogLine::operator<<(uint32_t number) {
    char digits[10];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    while (count > 0)
        chunk += digits[--count];
    return *this;
}

TLogLine& TLogLine::operator<<(Hex bytes) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    for (size_t i = 0; i < bytes.count; ++i) {
        const uint8_t byte = bytes.bytes[i];
        const char item[3] = {Digits[byte >> 4], Digits[byte & 0xF], ' '};
        chunk.append(item, sizeof item);
    }
    return *this;
}

TLogLine& TLogLine::operator<<(RawText bytes) {
    if (bytes.count == 0)
        return *this;  // bytes may be null then
    const auto* text = reinterpret_cast<const char*>(bytes.bytes);
    chunk.append(text, strnlen(text, bytes.count));
    return *this;
}

}  // namespace KL_VRXLog
