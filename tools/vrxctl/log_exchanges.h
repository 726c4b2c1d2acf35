// A traffic log turned into what happened: one entry per exchange (a command
// sent and its answer), per device opened or closed, per header and per line
// that could not be parsed, in the order of their first line in the file.
//
// Records are put together per thread. Two units driven from one thread have
// a logger each, and each logger's buffer reaches the file in blocks of its
// own, so one exchange's records can be split by the other unit's records:
// a record continues the open exchange that expects it and is not younger
// than it, preferring the one the thread's previous record went to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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

struct TLogEntry {
    TEntryKind kind = TEntryKind::Exchange;
    size_t line = 0;      // the entry's first line
    size_t records = 0;   // log records that make up the entry
    int64_t thread = 0;   // records only
    uint32_t tick = 0;    // records only: the first record's tick
    std::string text;     // device path, header timestamp or unparsed text
    bool cutOff = false;  // Unparsed: the file ends inside the line

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

std::vector<TLogEntry> BuildEntries(const TParsedLog& log);

}  // namespace VrxctlLog
