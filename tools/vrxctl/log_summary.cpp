#include "log_summary.h"

#include <algorithm>
#include <set>

namespace VrxctlLog {

namespace {

TLatency LatencyOf(std::vector<uint32_t> times) {
    std::sort(times.begin(), times.end());
    return {times.front(), times[(times.size() - 1) / 2], times.back()};
}

}  // namespace

TLogSummary Summarize(const TParsedLog& log, const std::vector<TLogEntry>& entries) {
    TLogSummary summary;
    summary.lines = log.lines;
    summary.records = log.records.size();
    std::set<int64_t> threads;
    // Key 256: exchanges without their message.
    std::map<unsigned, TCommandSummary> commands;
    std::map<unsigned, std::vector<uint32_t>> latencies;
    for (const TLogEntry& entry : entries) {
        switch (entry.kind) {
            case TEntryKind::LoggerCreated:
                ++summary.loggersCreated;
                continue;
            case TEntryKind::Dumped:
                ++summary.dumps;
                continue;
            case TEntryKind::Unparsed:
                summary.unparsedLines.push_back(entry.line);
                continue;
            case TEntryKind::DeviceOpened:
                ++summary.devicesOpened;
                break;
            case TEntryKind::OpenFailed:
                ++summary.openFailures;
                break;
            case TEntryKind::DeviceClosed:
                ++summary.devicesClosed;
                break;
            case TEntryKind::Exchange:
                break;
        }
        threads.insert(entry.thread);
        if (entry.kind != TEntryKind::Exchange)
            continue;
        ++summary.exchanges;
        ++summary.outcomes[static_cast<size_t>(entry.outcome)];
        const unsigned key = entry.HasCommand() ? entry.Command() : 256;
        TCommandSummary& command = commands[key];
        if (entry.HasCommand())
            command.code = entry.Command();
        ++command.exchanges;
        command.emptyReads += entry.emptyReads;
        if (IsFailure(entry.outcome)) {
            ++summary.failures;
            ++command.failures;
        }
        if (entry.outcome == TOutcome::SendFailed || entry.outcome == TOutcome::ReadFailed)
            ++summary.windowsErrors[entry.error];
        if (entry.answerTimed && entry.outcome != TOutcome::NoAnswer &&
            entry.outcome != TOutcome::ReadFailed)
            latencies[key].push_back(entry.elapsedMs);
    }
    summary.threads = threads.size();
    for (auto& [key, command] : commands) {
        if (latencies.count(key) != 0)
            command.latency = LatencyOf(std::move(latencies[key]));
        summary.commands.push_back(command);
    }
    return summary;
}

}  // namespace VrxctlLog
