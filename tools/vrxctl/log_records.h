// The lines of a traffic log (VRXHIDLog.log) as the library writes them:
// logger-created and dump headers, and one record per step of a transfer,
// each record prefixed with the thread id and the tick count:
//
//   10073 : Time: 643914   Attempting to send to device: 00 24 03
//
// Lines may end in CR LF (as the library writes them) or LF. Whatever does
// not follow the format is kept as an unparsed line with its number; nothing
// in the input can make parsing fail. A log is read line by line, in pieces
// of any size, with its buffers reused from one line to the next.
#pragma once

#include <algorithm>
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

// One line of a log, without its line break, and its 1-based number.
struct TLogLine {
    std::string_view text;
    size_t number = 0;
    bool cutOff = false;   // the file ends inside it
    bool tooLong = false;  // longer than MaxLineBytes: only its start is kept
};

// The longest line kept whole: far longer than any line the library writes.
inline constexpr size_t MaxLineBytes = 1 << 20;

// Splits a log fed in pieces of any size into lines: drops a leading
// byte-order mark (left by an editor that saved the file) and the line
// breaks, LF with any CRs before it.
class TLineSplitter {
  public:
    // Calls line(const TLogLine&) for every line that ends in chunk.
    template <class F>
    void Feed(std::string_view chunk, F&& line);
    // Calls line for the last line when the file does not end in a line break.
    template <class F>
    void Finish(F&& line);

    size_t Lines() const { return lines; }

  private:
    template <class F>
    void Emit(std::string_view text, bool cutOff, bool tooLong, F&& line);

    std::string carry;  // the start of a line that continues in the next chunk
    bool overlong = false;
    size_t lines = 0;
};

// What a line of a log is, parsed into buffers kept from one line to the next.
class TLineParser {
  public:
    enum class TKind : uint8_t { Blank, Header, Record, Unparsed };

    TKind Parse(const TLogLine& line);
    const TLogRecord& Record() const { return record; }
    const THeader& Header() const { return header; }

  private:
    TLogRecord record;
    THeader header;
};

TParsedLog ParseTrafficLog(std::string_view text);

template <class F>
void TLineSplitter::Emit(std::string_view text, bool cutOff, bool tooLong, F&& line) {
    if (lines == 0 && text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
        if (text.empty() && cutOff)
            return;  // nothing but the mark
    }
    while (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    line(TLogLine{text, ++lines, cutOff, tooLong});
}

template <class F>
void TLineSplitter::Feed(std::string_view chunk, F&& line) {
    while (!chunk.empty()) {
        const size_t end = chunk.find('\n');
        if (end == std::string_view::npos) {
            const size_t room = MaxLineBytes > carry.size() ? MaxLineBytes - carry.size() : 0;
            overlong = overlong || chunk.size() > room;
            carry.append(chunk.substr(0, room));
            return;
        }
        if (carry.empty() && !overlong) {
            Emit(chunk.substr(0, end), false, false, line);
        } else {
            const size_t room = MaxLineBytes > carry.size() ? MaxLineBytes - carry.size() : 0;
            carry.append(chunk.substr(0, std::min(end, room)));
            Emit(carry, false, overlong || end > room, line);
            carry.clear();
            overlong = false;
        }
        chunk.remove_prefix(end + 1);
    }
}

template <class F>
void TLineSplitter::Finish(F&& line) {
    if (!carry.empty() || overlong)
        Emit(carry, true, overlong, line);
    carry.clear();
    overlong = false;
}

}  // namespace VrxctlLog
