#include "support/log_file.h"

#include <regex>

namespace KL_VRXTest {

std::vector<std::string> CrLfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::string RecordPrefix(uint32_t threadId, uint32_t tick) {
    return std::to_string(static_cast<int32_t>(threadId)) +
           " : Time: " + std::to_string(static_cast<int32_t>(tick)) + "  ";
}

bool IsStampLine(const std::string& line, const std::string& label) {
    static const std::regex stamp(R"(\d{4}-\d{2}-\d{2} \d{2}-\d{2}-\d{2})");
    const std::string head = " " + label + ": ";
    return line.compare(0, head.size(), head) == 0 &&
           std::regex_match(line.substr(head.size()), stamp);
}

}  // namespace KL_VRXTest
