// Reading the traffic log back in tests.
#pragma once

#include <cstdint>
#include <string>

namespace KL_VRXTest {

// A log file's text with each CR LF as "\n" and each header timestamp as "D",
// so whole files compare as one string. A lone CR or LF shows as "<CR>" or
// "<LF>" and fails the comparison.
std::string LogText(const std::string& fileBytes);

// The two headers as LogText shows them.
inline const std::string CreatedHeader = "\n\n\n Logger Class Created: D\n\n";
inline const std::string DumpedHeader = "\n\n\n Dumped at: D\n\n";

// What the log puts before each message: "<thread id> : Time: <tick>  ",
// both numbers as signed decimals.
std::string RecordPrefix(uint32_t threadId, uint32_t tick);

}  // namespace KL_VRXTest
