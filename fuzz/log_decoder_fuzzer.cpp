// Any bytes given to `vrxctl log` must decode without a crash, without
// losing or double-counting a line or a record, with a summary that adds
// up, and with output that is printable ASCII, one line per entry.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <sstream>
#include <string_view>

#include "log_decoder.h"
#include "log_report.h"

using namespace VrxctlLog;

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void CheckPrintableLine(const std::string& text) {
    Check(std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; }));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TParsedLog log = ParseTrafficLog(text);
    // Every line is blank, a header, a record or unparsed.
    Check(log.blankLines + log.headers.size() + log.records.size() + log.unparsed.size() ==
          log.lines);

    const std::vector<TLogEntry> entries = BuildEntries(log);
    size_t records = 0;
    size_t exchanges = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TLogEntry& entry = entries[i];
        // In file order, one entry per first line.
        Check(i == 0 || entries[i - 1].line < entry.line);
        records += entry.records;
        exchanges += entry.kind == TEntryKind::Exchange ? 1 : 0;
        CheckPrintableLine(EntryText(entry));
        CheckPrintableLine(EntryJson(entry));
    }
    Check(records == log.records.size());

    const TLogSummary summary = Summarize(log, entries);
    Check(summary.exchanges == exchanges);
    Check(std::accumulate(summary.outcomes.begin(), summary.outcomes.end(), size_t{0}) ==
          exchanges);
    size_t byCommand = 0;
    for (const TCommandSummary& command : summary.commands) {
        byCommand += command.exchanges;
        Check(command.failures <= command.exchanges);
        Check(!command.latency || (command.latency->min <= command.latency->median &&
                                   command.latency->median <= command.latency->max));
    }
    Check(byCommand == exchanges);
    Check(summary.unparsedLines.size() == log.unparsed.size());
    CheckPrintableLine(SummaryJson(summary));

    // The same output however the input is cut into pieces, --json and
    // --failures or not.
    const TDecodeOptions options{size % 2 == 1, size % 4 >= 2};
    std::ostringstream whole, pieces;
    TLogDecoder once(options, whole), piecewise(options, pieces);
    once.Feed(text);
    for (size_t i = 0; i < size; i += 1 + size % 7)
        piecewise.Feed(text.substr(i, 1 + size % 7));
    Check(once.Finish() == log.IsTrafficLog() && piecewise.Finish() == log.IsTrafficLog());
    Check(whole.str() == pieces.str());
    return 0;
}
