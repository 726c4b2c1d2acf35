// How `vrxctl log` prints a decoded log: one line per entry, then the
// summary; as aligned text with failures marked, or as one JSON object per
// entry and one for the summary.
#pragma once

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
// As EntryText and EntryJson, appended to out.
void AppendEntryText(std::string& out, const TLogEntry& entry);
void AppendEntryJson(std::string& out, const TLogEntry& entry);
// The lines of the entry's records kept by the assembler, one a line, under
// the entry's text ("| " and the line as the file has it) or as JSON objects.
void AppendRecordLines(std::string& out, const TLogEntry& entry, bool json);

std::string SummaryText(const TLogSummary& summary);
std::string SummaryJson(const TLogSummary& summary);

}  // namespace VrxctlLog
