#include "log_exchanges.h"

#include <algorithm>
#include <map>

#include "log_commands.h"

namespace VrxctlLog {

bool IsFailure(TOutcome outcome) {
    switch (outcome) {
        case TOutcome::Rejected:
        case TOutcome::NotEchoed:
        case TOutcome::NoAnswer:
        case TOutcome::SendFailed:
        case TOutcome::NothingWritten:
        case TOutcome::ReadFailed:
            return true;
        default:
            return false;
    }
}

namespace {

// Where an exchange stands after its latest record.
enum class TStage : uint8_t {
    Sending,  // send attempted
    Sent,     // send succeeded
    Reading,  // at least one read attempted, no answer yet
};

struct TOpenExchange {
    size_t entry = 0;
    TStage stage = TStage::Sending;
    uint32_t startTick = 0;
    uint32_t lastTick = 0;
    uint32_t readAttempts = 0;
    bool partial = false;
};

struct TThreadRecords {
    std::vector<TOpenExchange> open;
    size_t lastEntry = SIZE_MAX;  // the entry the thread's previous record went to
};

// Open exchanges kept per thread; beyond this the oldest is closed as it stands.
constexpr size_t MaxOpenPerThread = 16;

bool Accepts(TStage stage, TRecordKind kind) {
    switch (kind) {
        case TRecordKind::SendSucceeded:
        case TRecordKind::SendFailed:
            return stage == TStage::Sending;
        case TRecordKind::ReadAttempt:
            return stage == TStage::Sent || stage == TStage::Reading;
        case TRecordKind::ReadSucceeded:
        case TRecordKind::ReadFailed:
            return stage == TStage::Reading;
        default:
            return false;
    }
}

// The stage an exchange must have reached for the record to come next.
TStage StageBefore(TRecordKind kind) {
    switch (kind) {
        case TRecordKind::SendSucceeded:
        case TRecordKind::SendFailed:
            return TStage::Sending;
        case TRecordKind::ReadAttempt:
            return TStage::Sent;
        default:
            return TStage::Reading;
    }
}

// tick is not earlier than since on the 32-bit tick count, which wraps.
bool NotBefore(uint32_t tick, uint32_t since) {
    return static_cast<int32_t>(tick - since) >= 0;
}

TOutcome EchoOutcome(const TLogEntry& exchange) {
    const uint8_t echo = exchange.ReplyByte(1);
    if (echo == 0xFF)
        return TOutcome::Rejected;
    return echo == exchange.Command() ? TOutcome::Answered : TOutcome::NotEchoed;
}

class TAssembler {
  public:
    explicit TAssembler(std::vector<TLogEntry>& entries) : entries(entries) {}

    void Add(const TLogRecord& record) {
        TThreadRecords& thread = threads[record.thread];
        switch (record.kind) {
            case TRecordKind::OpenSucceeded:
            case TRecordKind::OpenFailed:
            case TRecordKind::Closed: {
                TLogEntry& event = NewEntry(record);
                event.kind = record.kind == TRecordKind::OpenSucceeded ? TEntryKind::DeviceOpened
                             : record.kind == TRecordKind::OpenFailed  ? TEntryKind::OpenFailed
                                                                       : TEntryKind::DeviceClosed;
                event.text = record.text;
                thread.lastEntry = SIZE_MAX;
                return;
            }
            case TRecordKind::SendAttempt: {
                TLogEntry& exchange = NewEntry(record);
                exchange.sent = record.bytes;
                thread.lastEntry = entries.size() - 1;
                thread.open.push_back(
                    {thread.lastEntry, TStage::Sending, record.tick, record.tick, 0, false});
                if (thread.open.size() > MaxOpenPerThread)
                    Close(thread, 0);
                return;
            }
            default:
                Continue(thread, record);
        }
    }

    // Closes every exchange still open, as far as its records go.
    void Finish() {
        for (auto& [id, thread] : threads)
            while (!thread.open.empty())
                Close(thread, thread.open.size() - 1);
    }

  private:
    TLogEntry& NewEntry(const TLogRecord& record) {
        TLogEntry& entry = entries.emplace_back();
        entry.line = record.line;
        entry.records = 1;
        entry.thread = record.thread;
        entry.tick = record.tick;
        return entry;
    }

    // The open exchange a send outcome, read attempt or read outcome belongs to.
    size_t Find(const TThreadRecords& thread, const TLogRecord& record) const {
        size_t best = SIZE_MAX;
        for (size_t i = 0; i < thread.open.size(); ++i) {
            const TOpenExchange& open = thread.open[i];
            if (!Accepts(open.stage, record.kind) || !NotBefore(record.tick, open.lastTick))
                continue;
            if (open.entry == thread.lastEntry)
                return i;
            if (best == SIZE_MAX || NotBefore(open.lastTick, thread.open[best].lastTick))
                best = i;
        }
        return best;
    }

    void Continue(TThreadRecords& thread, const TLogRecord& record) {
        size_t index = Find(thread, record);
        if (index == SIZE_MAX) {
            // Its first records are not in the log.
            TLogEntry& exchange = NewEntry(record);
            exchange.records = 0;
            exchange.outcome = TOutcome::Partial;
            TOpenExchange open{
                entries.size() - 1, StageBefore(record.kind), record.tick, record.tick, 0, true};
            if (open.stage == TStage::Reading)
                open.readAttempts = 1;
            thread.open.push_back(open);
            index = thread.open.size() - 1;
        }
        TOpenExchange& open = thread.open[index];
        TLogEntry& exchange = entries[open.entry];
        ++exchange.records;
        open.lastTick = record.tick;
        thread.lastEntry = open.entry;
        switch (record.kind) {
            case TRecordKind::SendSucceeded:
                if (record.count == 0)
                    return Complete(thread, index, TOutcome::NothingWritten);
                open.stage = TStage::Sent;
                // Its answer is never read.
                if (!open.partial && CommandInfo(exchange.Command()).kind == TCommandKind::Bare)
                    return Complete(thread, index, TOutcome::SentOnly);
                return;
            case TRecordKind::SendFailed:
                exchange.error = record.error;
                exchange.transferred = record.count;
                return Complete(thread, index, TOutcome::SendFailed);
            case TRecordKind::ReadAttempt:
                open.stage = TStage::Reading;
                ++open.readAttempts;
                return;
            case TRecordKind::ReadSucceeded:
                exchange.reply = record.bytes;
                SetReadTimes(exchange, open, record.tick);
                return Complete(thread, index,
                                open.partial ? TOutcome::Partial : EchoOutcome(exchange));
            default:  // ReadFailed
                exchange.error = record.error;
                exchange.transferred = record.count;
                SetReadTimes(exchange, open, record.tick);
                return Complete(thread, index, TOutcome::ReadFailed);
        }
    }

    // The reads before the last were empty.
    static void SetReadTimes(TLogEntry& exchange, const TOpenExchange& open, uint32_t tick) {
        exchange.emptyReads = open.readAttempts > 0 ? open.readAttempts - 1 : 0;
        if (!open.partial) {
            exchange.answerTimed = true;
            exchange.elapsedMs = tick - open.startTick;
        }
    }

    void Complete(TThreadRecords& thread, size_t index, TOutcome outcome) {
        entries[thread.open[index].entry].outcome = outcome;
        thread.open.erase(thread.open.begin() + static_cast<std::ptrdiff_t>(index));
    }

    // An exchange without an answer: empty reads for longer than the
    // library waits are a time-out; anything shorter is where the records stop.
    void Close(TThreadRecords& thread, size_t index) {
        const TOpenExchange& open = thread.open[index];
        TLogEntry& exchange = entries[open.entry];
        TOutcome outcome = open.partial ? TOutcome::Partial : TOutcome::Incomplete;
        if (open.stage == TStage::Reading) {
            exchange.emptyReads = open.readAttempts;
            const uint32_t waited = open.lastTick - open.startTick;
            if (!open.partial && waited > ShortestReplyTimeoutMs) {
                outcome = TOutcome::NoAnswer;
                exchange.answerTimed = true;
                exchange.elapsedMs = waited;
            }
        }
        Complete(thread, index, outcome);
    }

    std::vector<TLogEntry>& entries;
    std::map<int64_t, TThreadRecords> threads;
};

}  // namespace

std::vector<TLogEntry> BuildEntries(const TParsedLog& log) {
    std::vector<TLogEntry> entries;
    entries.reserve(log.records.size() / 3 + log.headers.size() + log.unparsed.size());
    TAssembler assembler(entries);
    for (const TLogRecord& record : log.records)
        assembler.Add(record);
    assembler.Finish();
    for (const THeader& header : log.headers) {
        TLogEntry& entry = entries.emplace_back();
        entry.kind = header.dump ? TEntryKind::Dumped : TEntryKind::LoggerCreated;
        entry.line = header.line;
        entry.text = header.timestamp;
    }
    for (const TUnparsedLine& line : log.unparsed) {
        TLogEntry& entry = entries.emplace_back();
        entry.kind = TEntryKind::Unparsed;
        entry.line = line.line;
        entry.text = line.text;
        entry.cutOff = line.cutOff;
    }
    std::sort(entries.begin(), entries.end(),
              [](const TLogEntry& a, const TLogEntry& b) { return a.line < b.line; });
    return entries;
}

}  // namespace VrxctlLog
