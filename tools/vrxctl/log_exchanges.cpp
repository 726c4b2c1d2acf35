#include "log_exchanges.h"

#include <iterator>

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

void TRecordLines::Add(size_t line, std::string_view text) {
    const size_t slot = count < Kept ? count : Kept - 1;
    lines[slot] = line;
    texts[slot].assign(text.substr(0, MaxEntryText));
    ++count;
}

namespace {

// Open exchanges kept per thread; beyond this the oldest is closed as it stands.
constexpr size_t MaxOpenPerThread = 16;
// Threads without an open exchange are forgotten once there are this many.
constexpr size_t MaxIdleThreads = 4096;

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

}  // namespace

bool TEntryAssembler::Accepts(TStage stage, TRecordKind kind) {
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
TEntryAssembler::TStage TEntryAssembler::StageBefore(TRecordKind kind) {
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

TEntryAssembler::TEntryAssembler(TEntrySink& sink, bool keepRecordLines)
    : sink(sink), keepRecordLines(keepRecordLines), slots(64), open(64) {}

TEntryAssembler::~TEntryAssembler() = default;

void TEntryAssembler::AddRecord(const TLogRecord& record, std::string_view line) {
    TThreadRecords& thread = Thread(record.thread);
    switch (record.kind) {
        case TRecordKind::OpenSucceeded:
        case TRecordKind::OpenFailed:
        case TRecordKind::Closed: {
            TLogEntry& event = NewEntry(record.line);
            event.kind = record.kind == TRecordKind::OpenSucceeded ? TEntryKind::DeviceOpened
                         : record.kind == TRecordKind::OpenFailed  ? TEntryKind::OpenFailed
                                                                   : TEntryKind::DeviceClosed;
            event.records = 1;
            event.thread = record.thread;
            event.tick = record.tick;
            event.text.assign(record.text, 0, MaxEntryText);
            if (keepRecordLines)
                event.recordLines.Add(record.line, line);
            thread.lastEntry = SIZE_MAX;
            break;
        }
        case TRecordKind::SendAttempt: {
            TLogEntry& exchange = NewEntry(record.line);
            exchange.records = 1;
            exchange.thread = record.thread;
            exchange.tick = record.tick;
            exchange.sent.assign(record.bytes.begin(), record.bytes.end());
            if (keepRecordLines)
                exchange.recordLines.Add(record.line, line);
            thread.lastEntry = next - 1;
            open[thread.lastEntry & (open.size() - 1)] = true;
            thread.open.push_back(
                {thread.lastEntry, TStage::Sending, record.tick, record.tick, 0, false});
            if (thread.open.size() > MaxOpenPerThread)
                Close(thread, 0);
            break;
        }
        default:
            Continue(thread, record);
            if (keepRecordLines)
                Slot(thread.lastEntry).recordLines.Add(record.line, line);
    }
    Drain();
}

void TEntryAssembler::AddHeader(const THeader& header) {
    TLogEntry& entry = NewEntry(header.line);
    entry.kind = header.dump ? TEntryKind::Dumped : TEntryKind::LoggerCreated;
    entry.text.assign(header.timestamp);
    Drain();
}

void TEntryAssembler::AddUnparsed(size_t line, std::string_view text, bool cutOff) {
    TLogEntry& entry = NewEntry(line);
    entry.kind = TEntryKind::Unparsed;
    entry.text.assign(text.substr(0, MaxEntryText));
    entry.cutOff = cutOff;
    Drain();
}

void TEntryAssembler::Finish() {
    for (auto& [id, thread] : threads)
        while (!thread.open.empty())
            Close(thread, thread.open.size() - 1);
    Drain();
}

// A cleared entry at the end, the slots grown or the oldest exchange closed
// when they are full.
TLogEntry& TEntryAssembler::NewEntry(size_t line) {
    if (next - first == slots.size()) {
        if (slots.size() < MaxPendingEntries) {
            std::vector<TLogEntry> grown(slots.size() * 2);
            std::vector<bool> grownOpen(slots.size() * 2);
            for (size_t i = first; i != next; ++i) {
                grown[i & (grown.size() - 1)] = std::move(Slot(i));
                grownOpen[i & (grown.size() - 1)] = open[i & (open.size() - 1)];
            }
            slots = std::move(grown);
            open = std::move(grownOpen);
        } else {
            CloseOldest();
        }
    }
    open[next & (open.size() - 1)] = false;
    TLogEntry& entry = Slot(next++);
    entry.kind = TEntryKind::Exchange;
    entry.line = line;
    entry.records = 0;
    entry.thread = 0;
    entry.tick = 0;
    entry.text.clear();
    entry.cutOff = false;
    entry.recordLines.Clear();
    entry.sent.clear();
    entry.reply.clear();
    entry.outcome = TOutcome::Incomplete;
    entry.answerTimed = false;
    entry.elapsedMs = 0;
    entry.emptyReads = 0;
    entry.error = 0;
    entry.transferred = 0;
    return entry;
}

TEntryAssembler::TThreadRecords& TEntryAssembler::Thread(int64_t id) {
    if (lastThread != nullptr && lastThreadId == id)
        return *lastThread;
    if (threads.size() >= MaxIdleThreads && threads.count(id) == 0) {
        for (auto i = threads.begin(); i != threads.end();)
            i = i->second.open.empty() ? threads.erase(i) : std::next(i);
    }
    lastThreadId = id;
    lastThread = &threads[id];
    return *lastThread;
}

// The first entry waits for an exchange that is still open: it is closed
// as it stands.
void TEntryAssembler::CloseOldest() {
    TThreadRecords& thread = Thread(Slot(first).thread);
    for (size_t i = 0; i < thread.open.size(); ++i) {
        if (thread.open[i].entry == first) {
            Close(thread, i);
            break;
        }
    }
    Drain();
}

// Hands over the complete entries at the start.
void TEntryAssembler::Drain() {
    while (first != next && !open[first & (open.size() - 1)])
        sink.Entry(Slot(first++));
}

// The open exchange a send outcome, read attempt or read outcome belongs to.
size_t TEntryAssembler::Find(const TThreadRecords& thread, const TLogRecord& record) const {
    size_t best = SIZE_MAX;
    for (size_t i = 0; i < thread.open.size(); ++i) {
        const TOpenExchange& candidate = thread.open[i];
        if (!Accepts(candidate.stage, record.kind) || !NotBefore(record.tick, candidate.lastTick))
            continue;
        if (candidate.entry == thread.lastEntry)
            return i;
        if (best == SIZE_MAX || NotBefore(candidate.lastTick, thread.open[best].lastTick))
            best = i;
    }
    return best;
}

void TEntryAssembler::Continue(TThreadRecords& thread, const TLogRecord& record) {
    size_t index = Find(thread, record);
    if (index == SIZE_MAX) {
        // Its first records are not in the log.
        TLogEntry& exchange = NewEntry(record.line);
        exchange.thread = record.thread;
        exchange.tick = record.tick;
        exchange.outcome = TOutcome::Partial;
        TOpenExchange partial{next - 1, StageBefore(record.kind), record.tick, record.tick, 0,
                              true};
        if (partial.stage == TStage::Reading)
            partial.readAttempts = 1;
        open[partial.entry & (open.size() - 1)] = true;
        thread.open.push_back(partial);
        index = thread.open.size() - 1;
    }
    TOpenExchange& current = thread.open[index];
    TLogEntry& exchange = Slot(current.entry);
    ++exchange.records;
    current.lastTick = record.tick;
    thread.lastEntry = current.entry;
    switch (record.kind) {
        case TRecordKind::SendSucceeded:
            if (record.count == 0)
                return Complete(thread, index, TOutcome::NothingWritten);
            current.stage = TStage::Sent;
            // Its answer is never read.
            if (!current.partial && CommandInfo(exchange.Command()).kind == TCommandKind::Bare)
                return Complete(thread, index, TOutcome::SentOnly);
            return;
        case TRecordKind::SendFailed:
            exchange.error = record.error;
            exchange.transferred = record.count;
            return Complete(thread, index, TOutcome::SendFailed);
        case TRecordKind::ReadAttempt:
            current.stage = TStage::Reading;
            ++current.readAttempts;
            return;
        case TRecordKind::ReadSucceeded:
            exchange.reply.assign(record.bytes.begin(), record.bytes.end());
            SetReadTimes(exchange, current, record.tick);
            return Complete(thread, index,
                            current.partial ? TOutcome::Partial : EchoOutcome(exchange));
        default:  // ReadFailed
            exchange.error = record.error;
            exchange.transferred = record.count;
            SetReadTimes(exchange, current, record.tick);
            return Complete(thread, index, TOutcome::ReadFailed);
    }
}

// The reads before the last were empty.
void TEntryAssembler::SetReadTimes(TLogEntry& exchange, const TOpenExchange& open, uint32_t tick) {
    exchange.emptyReads = open.readAttempts > 0 ? open.readAttempts - 1 : 0;
    if (!open.partial) {
        exchange.answerTimed = true;
        exchange.elapsedMs = tick - open.startTick;
    }
}

void TEntryAssembler::Complete(TThreadRecords& thread, size_t index, TOutcome outcome) {
    const size_t entry = thread.open[index].entry;
    Slot(entry).outcome = outcome;
    open[entry & (open.size() - 1)] = false;
    thread.open.erase(thread.open.begin() + static_cast<std::ptrdiff_t>(index));
}

// An exchange without an answer: empty reads for longer than the
// library waits are a time-out; anything shorter is where the records stop.
void TEntryAssembler::Close(TThreadRecords& thread, size_t index) {
    const TOpenExchange& exchangeState = thread.open[index];
    TLogEntry& exchange = Slot(exchangeState.entry);
    TOutcome outcome = exchangeState.partial ? TOutcome::Partial : TOutcome::Incomplete;
    if (exchangeState.stage == TStage::Reading) {
        exchange.emptyReads = exchangeState.readAttempts;
        const uint32_t waited = exchangeState.lastTick - exchangeState.startTick;
        if (!exchangeState.partial && waited > ShortestReplyTimeoutMs) {
            outcome = TOutcome::NoAnswer;
            exchange.answerTimed = true;
            exchange.elapsedMs = waited;
        }
    }
    Complete(thread, index, outcome);
}

namespace {

class TEntryList : public TEntrySink {
  public:
    void Entry(const TLogEntry& entry) override { entries.push_back(entry); }
    std::vector<TLogEntry> entries;
};

}  // namespace

std::vector<TLogEntry> BuildEntries(const TParsedLog& log) {
    // The log's lines again in file order.
    TEntryList list;
    TEntryAssembler assembler(list, false);
    size_t record = 0, header = 0, unparsed = 0;
    for (size_t line = 1; line <= log.lines; ++line) {
        if (record < log.records.size() && log.records[record].line == line) {
            assembler.AddRecord(log.records[record++], {});
        } else if (header < log.headers.size() && log.headers[header].line == line) {
            assembler.AddHeader(log.headers[header++]);
        } else if (unparsed < log.unparsed.size() && log.unparsed[unparsed].line == line) {
            const TUnparsedLine& text = log.unparsed[unparsed++];
            assembler.AddUnparsed(text.line, text.text, text.cutOff);
        }
    }
    assembler.Finish();
    return std::move(list.entries);
}

}  // namespace VrxctlLog
