// Reading the traffic log back in tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace KL_VRXTest {

// The lines of a CR LF text, without their CR LF. A lone LF or CR stays
// inside its line, so a comparison with the expected lines fails on it. A
// text that ends with CR LF has no empty last line.
std::vector<std::string> CrLfLines(const std::string& text);

// What the log puts before each message: "<thread id> : Time: <tick>  ",
// both numbers as signed decimals.
std::string RecordPrefix(uint32_t threadId, uint32_t tick);

// True when line is " <label>: YYYY-MM-DD HH-MM-SS" (label "Logger Class
// Created" or "Dumped at").
bool IsStampLine(const std::string& line, const std::string& label);

}  // namespace KL_VRXTest
