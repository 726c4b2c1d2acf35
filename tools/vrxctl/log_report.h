// What `vrxctl log FILE` prints: one line per entry of the decoded log, then
// the summary; as aligned text with failures marked, or as one JSON object
// per entry and one for the summary.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "log_exchanges.h"
#include "log_summary.h"

namespace VrxctlLog {

// The column heads of EntryText.
std::string EntryTextHeading();
// Marked in the first two columns: "!!" a failure, "??" a line that could
// not be parsed or an exchange whose records are not all in the log, "==" a
// device event or a header.
std::string EntryText(const TLogEntry& entry);
std::string EntryJson(const TLogEntry& entry);

std::string SummaryText(const TLogSummary& summary);
std::string SummaryJson(const TLogSummary& summary);

// Decodes text and prints every entry and the summary on out. False, with
// the reason on err, when no line of it is a traffic-log line.
bool PrintDecodedLog(std::string_view text, const std::string& name, bool json, std::ostream& out,
                     std::ostream& err);

// As PrintDecodedLog, on the contents of the file at path; false also when
// the file cannot be read.
bool DecodeLogFile(const std::string& path, bool json, std::ostream& out, std::ostream& err);

}  // namespace VrxctlLog
