// The lines of a traffic log (VRXHIDLog.log) as the library writes them:
// logger-created and dump headers, and one record per step of a transfer,
// each record prefixed with the thread id and the tick count:
//
//   10073 : Time: 643914   Attempting to send to device: 00 24 03
//
// Lines may end in CR LF (as the library writes them) or LF. Whatever does
// not follow the format is kept as an unparsed line with its number; nothing
// in the input can make parsing fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace VrxctlLog {

enum class TRecordKind : uint8_t {
    OpenSucceeded,  // "***Succeeded trying to open device at path: " path
    OpenFailed,     // "***Failed trying to open device at path: " path
    Closed,         // "***Device Closed."
    SendAttempt,    // " Attempting to send to device: " bytes or "Empty Buffer"
    SendSucceeded,  // "    Send succeeded. Bytes read by device: " count
    SendFailed,     // "    Send failed. WinAPI Err: " error, then count and raw text
    ReadAttempt,    // " Attempting to read from device: "
    ReadSucceeded,  // "    Read succeeded. Bytes read by device: " count " Buffer: " bytes
    ReadFailed,     // "    Read failed. WinAPI Err: " error, then count and raw text
};

struct TLogRecord {
    TRecordKind kind = TRecordKind::Closed;
    size_t line = 0;             // 1-based
    int64_t thread = 0;          // as written
    uint32_t tick = 0;           // GetTickCount's value (written as a signed number)
    uint32_t count = 0;          // bytes written or read (outcome records)
    int64_t error = 0;           // Windows error of a failed send or read
    std::vector<uint8_t> bytes;  // bytes sent (the caller's, no padding) or received
    std::string text;            // device path, or the raw text of a failed transfer
};

struct THeader {
    size_t line = 0;
    bool dump = false;      // " Dumped at: ", else " Logger Class Created: "
    std::string timestamp;  // "YYYY-MM-DD HH-MM-SS"
};

struct TUnparsedLine {
    size_t line = 0;
    std::string text;     // the line as found (no line break)
    bool cutOff = false;  // the file ends inside this line
};

struct TParsedLog {
    size_t lines = 0;
    size_t blankLines = 0;
    std::vector<THeader> headers;
    std::vector<TLogRecord> records;  // in file order
    std::vector<TUnparsedLine> unparsed;

    // False when no line of the input is a header or a record.
    bool IsTrafficLog() const { return !headers.empty() || !records.empty(); }
};

TParsedLog ParseTrafficLog(std::string_view text);

}  // namespace VrxctlLog
