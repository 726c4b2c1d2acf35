#include "support/log_file.h"

#include <regex>

namespace KL_VRXTest {

std::string LogText(const std::string& fileBytes) {
    std::string text;
    for (size_t i = 0; i < fileBytes.size(); ++i) {
        if (fileBytes.compare(i, 2, "\r\n") == 0)
            text += fileBytes[++i];
        else if (fileBytes[i] == '\r' || fileBytes[i] == '\n')
            text += fileBytes[i] == '\r' ? "<CR>" : "<LF>";
        else
            text += fileBytes[i];
    }
    static const std::regex stamp(
        R"(( Logger Class Created| Dumped at): \d{4}-\d{2}-\d{2} \d{2}-\d{2}-\d{2}\n)");
    return std::regex_replace(text, stamp, "$1: D\n");
}

std::string RecordPrefix(uint32_t threadId, uint32_t tick) {
    return std::to_string(static_cast<int32_t>(threadId)) +
           " : Time: " + std::to_string(static_cast<int32_t>(tick)) + "  ";
}

}  // namespace KL_VRXTest
