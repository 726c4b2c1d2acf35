#include "decimal.h"

std::optional<uint32_t> ParseUnsigned(const std::string& text) {
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    if (number > UINT32_MAX)
        return std::nullopt;
    return static_cast<uint32_t>(number);
}

std::optional<int32_t> ParseSigned(const std::string& text) {
    const bool negative = !text.empty() && text[0] == '-';
    const auto magnitude = ParseUnsigned(negative ? text.substr(1) : text);
    const int64_t value = negative ? -int64_t{magnitude.value_or(0)} : magnitude.value_or(0);
    if (!magnitude || value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int32_t>(value);
}
