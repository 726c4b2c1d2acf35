#include "log_summary.h"

#include <algorithm>

namespace VrxctlLog {

namespace {

// Answer times below this many milliseconds are counted in an array, longer
// ones in a map.
constexpr uint32_t DenseMs = 4096;

}  // namespace

struct TSummaryBuilder::TCommandTotals {
    TCommandSummary summary;
    std::vector<uint64_t> dense;  // answers per millisecond below DenseMs
    std::map<uint32_t, uint64_t> sparse;
    uint64_t answers = 0;
    uint32_t min = UINT32_MAX;
    uint32_t max = 0;

    void AddTime(uint32_t ms) {
        if (ms < DenseMs) {
            if (dense.empty())
                dense.resize(DenseMs);
            ++dense[ms];
        } else {
            ++sparse[ms];
        }
        ++answers;
        min = std::min(min, ms);
        max = std::max(max, ms);
    }

    // The lower middle value when the count is even.
    uint32_t Median() const {
        uint64_t rank = (answers - 1) / 2;
        for (uint32_t ms = 0; ms < dense.size(); ++ms) {
            if (dense[ms] > rank)
                return ms;
            rank -= dense[ms];
        }
        for (const auto& [ms, count] : sparse) {
            if (count > rank)
                return ms;
            rank -= count;
        }
        return max;
    }
};

TSummaryBuilder::TSummaryBuilder() : commands(257) {}

TSummaryBuilder::~TSummaryBuilder() = default;

void TSummaryBuilder::Add(const TLogEntry& entry) {
    switch (entry.kind) {
        case TEntryKind::LoggerCreated:
            ++totals.loggersCreated;
            return;
        case TEntryKind::Dumped:
            ++totals.dumps;
            return;
        case TEntryKind::Unparsed:
            totals.unparsedLines.push_back(entry.line);
            return;
        case TEntryKind::DeviceOpened:
            ++totals.devicesOpened;
            break;
        case TEntryKind::OpenFailed:
            ++totals.openFailures;
            break;
        case TEntryKind::DeviceClosed:
            ++totals.devicesClosed;
            break;
        case TEntryKind::Exchange:
            break;
    }
    if (threads.empty() || entry.thread != lastThread)
        threads.insert(entry.thread);
    lastThread = entry.thread;
    if (entry.kind != TEntryKind::Exchange)
        return;
    ++totals.exchanges;
    ++totals.outcomes[static_cast<size_t>(entry.outcome)];
    TCommandTotals& command = commands[entry.HasCommand() ? entry.Command() : 256];
    if (entry.HasCommand())
        command.summary.code = entry.Command();
    ++command.summary.exchanges;
    command.summary.emptyReads += entry.emptyReads;
    if (IsFailure(entry.outcome)) {
        ++totals.failures;
        ++command.summary.failures;
    }
    if (entry.outcome == TOutcome::SendFailed || entry.outcome == TOutcome::ReadFailed)
        ++totals.windowsErrors[entry.error];
    if (entry.answerTimed && entry.outcome != TOutcome::NoAnswer &&
        entry.outcome != TOutcome::ReadFailed)
        command.AddTime(entry.elapsedMs);
}

TLogSummary TSummaryBuilder::Result(size_t lines, size_t records) const {
    TLogSummary summary = totals;
    summary.lines = lines;
    summary.records = records;
    summary.threads = threads.size();
    for (const TCommandTotals& command : commands) {
        if (command.summary.exchanges == 0)
            continue;
        summary.commands.push_back(command.summary);
        if (command.answers != 0)
            summary.commands.back().latency = TLatency{command.min, command.Median(), command.max};
    }
    return summary;
}

TLogSummary Summarize(const TParsedLog& log, const std::vector<TLogEntry>& entries) {
    TSummaryBuilder builder;
    for (const TLogEntry& entry : entries)
        builder.Add(entry);
    return builder.Result(log.lines, log.records.size());
}

}  // namespace VrxctlLog
