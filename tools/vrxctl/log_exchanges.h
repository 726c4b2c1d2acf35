// A traffic log turned into what happened: one entry per exchange (a command
// sent and its answer), per device opened or closed, per header and per line
// that could not be parsed, in the order of their first line in the file.
//
// Records are put together per thread. Two units driven from one thread have
// a logger each, and each logger's buffer reaches the file in blocks of its
// own, so one exchange's records can be split by the other unit's records:
// a record continues the open exchange that expects it and is not younger
// than it, preferring the one the thread's previous record went to.
//
// Entries come out in file order as soon as they and every entry before
// them are complete, so a log of any size is decoded in bounded memory: an
// exchange still open while MaxPendingEntries entries wait behind it is
// closed as it stands, as at the end of the file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "log_records.h"

namespace VrxctlLog {

enum class TEntryKind : uint8_t {
    Exchange,
    DeviceOpened,
    OpenFailed,
    DeviceClosed,
    LoggerCreated,
    Dumped,
    Unparsed,
};

enum class TOutcome : uint8_t {
    Answered,        // reply byte 1 echoes the command
    Rejected,        // reply byte 1 is 0xFF
    NotEchoed,       // reply byte 1 is another code
    NoAnswer,        // only empty reads until the time-out
    SendFailed,      // WriteFile failed
    NothingWritten,  // WriteFile succeeded but wrote 0 bytes
    ReadFailed,      // ReadFile failed
    SentOnly,        // a message whose answer is never read (ApplyLaunchMode)
    Incomplete,      // the log holds no further record of it
    Partial,         // its first records are not in the log (dropped before a dump)
};
inline constexpr size_t OutcomeCount = 10;

// Whether the outcome is a failure of the unit or of the link.
bool IsFailure(TOutcome outcome);

// The lines of an entry's records as the file has them (for vrxctl log
// --failures): the first Kept - 1 and the last.
class TRecordLines {
  public:
    static constexpr size_t Kept = 8;

    void Clear() { count = 0; }
    void Add(size_t line, std::string_view text);
    size_t Size() const { return count < Kept ? count : Kept; }
    size_t Line(size_t i) const { return lines[i]; }
    const std::string& Text(size_t i) const { return texts[i]; }
    // The records between the first ones and the last that are not kept.
    size_t Skipped() const { return count > Kept ? count - Kept : 0; }

  private:
    std::array<size_t, Kept> lines{};
    std::array<std::string, Kept> texts;
    size_t count = 0;
};

struct TLogEntry {
    TEntryKind kind = TEntryKind::Exchange;
    size_t line = 0;           // the entry's first line
    size_t records = 0;        // log records that make up the entry
    int64_t thread = 0;        // records only
    uint32_t tick = 0;         // records only: the first record's tick
    std::string text;          // device path, header timestamp or unparsed text (its first
                               // MaxEntryText bytes)
    bool cutOff = false;       // Unparsed: the file ends inside the line
    TRecordLines recordLines;  // only when the assembler keeps them

    // Exchange only.
    std::vector<uint8_t> sent;  // the message (report ID, code, value); empty when Partial
    std::vector<uint8_t> reply;
    TOutcome outcome = TOutcome::Incomplete;
    bool answerTimed = false;  // elapsedMs holds send to answer (or to the last empty read)
    uint32_t elapsedMs = 0;
    uint32_t emptyReads = 0;
    int64_t error = 0;         // Windows error of a failed send or read
    uint32_t transferred = 0;  // bytes written or read by a failed send or read

    bool HasCommand() const { return sent.size() >= 2; }
    uint8_t Command() const { return sent.size() >= 2 ? sent[1] : 0; }
    // Reply byte i, 0 where the reply is shorter (the library clears its buffer).
    uint8_t ReplyByte(size_t i) const { return i < reply.size() ? reply[i] : 0; }
};

// More of an entry's text than is ever printed: what tells that it is longer.
inline constexpr size_t MaxEntryText = 161;

// Receives the entries of a log in file order, each once it is complete.
class TEntrySink {
  public:
    virtual void Entry(const TLogEntry& entry) = 0;

  protected:
    ~TEntrySink() = default;
};

inline constexpr size_t MaxPendingEntries = 16384;

// Puts the lines of a log, given in file order, together into entries.
class TEntryAssembler {
  public:
    // keepRecordLines: every entry carries the lines of its records.
    TEntryAssembler(TEntrySink& sink, bool keepRecordLines);
    ~TEntryAssembler();

    void AddRecord(const TLogRecord& record, std::string_view line);
    void AddHeader(const THeader& header);
    void AddUnparsed(size_t line, std::string_view text, bool cutOff);
    // Closes every exchange still open, as far as its records go, and hands
    // over what is left.
    void Finish();

  private:
    // Where an exchange stands after its latest record.
    enum class TStage : uint8_t {
        Sending,  // send attempted
        Sent,     // send succeeded
        Reading,  // at least one read attempted, no answer yet
    };

    struct TOpenExchange {
        size_t entry = 0;  // sequence number
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

    static bool Accepts(TStage stage, TRecordKind kind);
    static TStage StageBefore(TRecordKind kind);
    static void SetReadTimes(TLogEntry& exchange, const TOpenExchange& open, uint32_t tick);

    TLogEntry& NewEntry(size_t line);
    TThreadRecords& Thread(int64_t id);
    size_t Find(const TThreadRecords& thread, const TLogRecord& record) const;
    void Continue(TThreadRecords& thread, const TLogRecord& record);
    void Complete(TThreadRecords& thread, size_t index, TOutcome outcome);
    void Close(TThreadRecords& thread, size_t index);
    void CloseOldest();
    void Drain();
    TLogEntry& Slot(size_t sequence) { return slots[sequence & (slots.size() - 1)]; }

    TEntrySink& sink;
    const bool keepRecordLines;
    // Entries from sequence number first to next, in file order; open[i]
    // tells whether the entry in slot i still waits for records.
    std::vector<TLogEntry> slots;
    std::vector<bool> open;
    size_t first = 0;
    size_t next = 0;
    std::unordered_map<int64_t, TThreadRecords> threads;
    int64_t lastThreadId = 0;
    TThreadRecords* lastThread = nullptr;
};

std::vector<TLogEntry> BuildEntries(const TParsedLog& log);

}  // namespace VrxctlLog
