// Decimal numbers as vrxctl's arguments write them: digits only, with a
// leading minus sign where a number may be negative.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

std::optional<uint32_t> ParseUnsigned(const std::string& text);
std::optional<int32_t> ParseSigned(const std::string& text);
