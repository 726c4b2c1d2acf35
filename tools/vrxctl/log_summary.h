// The totals of a decoded traffic log: exchanges per command with their
// failures and answer times, outcomes, device events and unparsed lines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <unordered_set>
#include <vector>

#include "log_exchanges.h"

namespace VrxctlLog {

struct TLatency {
    uint32_t min = 0;
    uint32_t median = 0;  // the lower middle value when the count is even
    uint32_t max = 0;
};

struct TCommandSummary {
    std::optional<uint8_t> code;  // none: exchanges whose message is not in the log
    size_t exchanges = 0;
    size_t failures = 0;
    size_t emptyReads = 0;
    std::optional<TLatency> latency;  // over the exchanges that were answered in time
};

struct TLogSummary {
    size_t lines = 0;
    size_t records = 0;
    size_t loggersCreated = 0;
    size_t dumps = 0;
    size_t threads = 0;
    size_t exchanges = 0;
    size_t failures = 0;
    std::array<size_t, OutcomeCount> outcomes{};  // indexed by TOutcome
    size_t devicesOpened = 0;
    size_t openFailures = 0;
    size_t devicesClosed = 0;
    std::vector<size_t> unparsedLines;
    std::map<int64_t, size_t> windowsErrors;  // error code: failed sends and reads
    std::vector<TCommandSummary> commands;    // by code; the unknown one last

    size_t Count(TOutcome outcome) const { return outcomes[static_cast<size_t>(outcome)]; }
};

// Adds up the entries of a log one by one; answer times are counted per
// whole millisecond, so the median is exact in bounded memory.
class TSummaryBuilder {
  public:
    TSummaryBuilder();
    ~TSummaryBuilder();

    void Add(const TLogEntry& entry);
    // The totals, with the log's line and record counts.
    TLogSummary Result(size_t lines, size_t records) const;

  private:
    struct TCommandTotals;

    TLogSummary totals;
    std::unordered_set<int64_t> threads;
    int64_t lastThread = 0;
    std::vector<TCommandTotals> commands;  // by code; 256: exchanges without their message
};

TLogSummary Summarize(const TParsedLog& log, const std::vector<TLogEntry>& entries);

}  // namespace VrxctlLog
