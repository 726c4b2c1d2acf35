#include <algorithm>
#include <cstring>
#include <optional>

#include "log_records.h"

namespace VrxctlLog {

namespace {

// The value of every byte as a hexadecimal digit, 0x80 for no digit.
struct THexDigits {
    uint8_t values[256];
    constexpr THexDigits() : values() {
        for (int c = 0; c < 256; ++c)
            values[c] = c >= '0' && c <= '9'   ? static_cast<uint8_t>(c - '0')
                        : c >= 'A' && c <= 'F' ? static_cast<uint8_t>(c - 'A' + 10)
                        : c >= 'a' && c <= 'f' ? static_cast<uint8_t>(c - 'a' + 10)
                                               : uint8_t{0x80};
    }
};
constexpr THexDigits HexDigits;

// The value of every pair of bytes (in memory order) as two hexadecimal
// digits, 0x100 for no such pair: one look-up per byte of a hex list.
const uint16_t* HexPairs() {
    static const std::vector<uint16_t> pairs = [] {
        std::vector<uint16_t> all(65536, 0x100);
        for (unsigned high = 0; high < 256; ++high) {
            for (unsigned low = 0; low < 256; ++low) {
                const unsigned char text[2] = {static_cast<unsigned char>(high),
                                               static_cast<unsigned char>(low)};
                uint16_t key;
                std::memcpy(&key, text, 2);
                if ((HexDigits.values[high] | HexDigits.values[low]) < 0x80)
                    all[key] =
                        static_cast<uint16_t>(HexDigits.values[high] << 4 | HexDigits.values[low]);
            }
        }
        return all;
    }();
    return pairs.data();
}

// Reads one line from left to right; every step either consumes what it
// expects and returns true, or leaves the rest as it was and returns false.
class TCursor {
  public:
    explicit TCursor(std::string_view text) : rest(text) {}

    bool Literal(std::string_view literal) {
        if (rest.substr(0, literal.size()) != literal)
            return false;
        rest.remove_prefix(literal.size());
        return true;
    }

    // A decimal number with an optional minus sign, within [low, high].
    std::optional<int64_t> Number(int64_t low, int64_t high) {
        const char* text = rest.data();
        const size_t first = !rest.empty() && text[0] == '-' ? 1 : 0;
        // More digits than any 32-bit value has are refused: look at one more.
        const size_t limit = std::min(rest.size(), first + 11);
        size_t i = first;
        int64_t value = 0;
        for (; i < limit && static_cast<unsigned>(text[i] - '0') < 10; ++i)
            value = value * 10 + (text[i] - '0');
        if (i == first || i - first > 10)
            return std::nullopt;
        if (first == 1)
            value = -value;
        if (value < low || value > high)
            return std::nullopt;
        rest.remove_prefix(i);
        return value;
    }

    // "HH HH ... " up to the end of the line; the last blank may be missing.
    bool HexList(std::vector<uint8_t>& bytes) {
        if (rest.size() % 3 == 1)
            return false;  // a lone digit at the end
        const size_t count = (rest.size() + 1) / 3;
        bytes.resize(count);
        if (count == 0)
            return true;  // an empty list: nothing after the field's blank
        const auto* text = reinterpret_cast<const unsigned char*>(rest.data());
        uint8_t* byte = bytes.data();
        const uint16_t* pairs = HexPairs();
        // Bit 8 and above of bad: a pair that is no byte or a missing blank;
        // checked once at the end, so the loop has no branch but its own.
        unsigned bad = 0;
        const unsigned char* const last = text + 3 * (count - 1);
        for (; text < last; text += 3) {
            uint16_t key;
            std::memcpy(&key, text, 2);
            const unsigned value = pairs[key];
            bad |= value | static_cast<unsigned>(text[2] ^ ' ') << 8;
            *byte++ = static_cast<uint8_t>(value);
        }
        uint16_t key;
        std::memcpy(&key, text, 2);
        bad |= pairs[key];
        *byte = static_cast<uint8_t>(pairs[key]);
        if (bad >= 0x100)
            return false;
        // The last byte's blank, when there is one.
        if (rest.size() % 3 == 0 && rest.back() != ' ')
            return false;
        rest.remove_prefix(rest.size());
        return true;
    }

    std::string_view Rest() const { return rest; }
    bool AtEnd() const { return rest.empty(); }

  private:
    std::string_view rest;
};

constexpr int64_t Int32Min = -2147483648LL;
constexpr int64_t Int32Max = 2147483647LL;
constexpr int64_t UInt32Max = 4294967295LL;

// "YYYY-MM-DD HH-MM-SS"
bool IsTimestamp(std::string_view text) {
    constexpr std::string_view shape = "dddd-dd-dd dd-dd-dd";
    if (text.size() != shape.size())
        return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (shape[i] == 'd' ? !digit : text[i] != shape[i])
            return false;
    }
    return true;
}

bool ParseHeader(std::string_view line, THeader& header) {
    TCursor cursor(line);
    const bool dump = cursor.Literal(" Dumped at: ");
    if (!dump && !cursor.Literal(" Logger Class Created: "))
        return false;
    if (!IsTimestamp(cursor.Rest()))
        return false;
    header.dump = dump;
    header.timestamp.assign(cursor.Rest());
    return true;
}

// What follows "WinAPI Err: e" in a failure record: "    No bytes <unit>." or
// "    <count>    bytes <unit>: <raw text>".
bool ParseFailureTail(TCursor& cursor, bool send, TLogRecord& record) {
    if (cursor.Literal(send ? "    No bytes written." : "    No bytes read.")) {
        record.count = 0;
        return cursor.AtEnd();
    }
    if (!cursor.Literal("    "))
        return false;
    const auto count = cursor.Number(0, UInt32Max);
    if (!count || !cursor.Literal(send ? "    bytes written: " : "    bytes read: "))
        return false;
    record.count = static_cast<uint32_t>(*count);
    record.text.assign(cursor.Rest());
    return true;
}

bool ParseAttempt(TCursor& cursor, TLogRecord& record) {
    if (cursor.Literal(" Attempting to send to device: ")) {
        record.kind = TRecordKind::SendAttempt;
        if (cursor.Literal("Empty Buffer"))
            return cursor.AtEnd();
        return !cursor.AtEnd() && cursor.HexList(record.bytes);
    }
    if (cursor.Literal(" Attempting to read from device: ")) {
        record.kind = TRecordKind::ReadAttempt;
        return cursor.AtEnd();
    }
    return false;
}

bool ParseOutcome(TCursor& cursor, TLogRecord& record) {
    if (cursor.Literal("    Send succeeded. Bytes read by device: ")) {
        record.kind = TRecordKind::SendSucceeded;
        const auto count = cursor.Number(0, UInt32Max);
        record.count = static_cast<uint32_t>(count.value_or(0));
        return count && cursor.AtEnd();
    }
    if (cursor.Literal("    Read succeeded. Bytes read by device: ")) {
        record.kind = TRecordKind::ReadSucceeded;
        const auto count = cursor.Number(0, UInt32Max);
        if (!count || !cursor.Literal(" Buffer: ") || !cursor.HexList(record.bytes))
            return false;
        record.count = static_cast<uint32_t>(*count);
        return record.bytes.size() == record.count;
    }
    const bool send = cursor.Literal("    Send failed. WinAPI Err: ");
    if (send || cursor.Literal("    Read failed. WinAPI Err: ")) {
        record.kind = send ? TRecordKind::SendFailed : TRecordKind::ReadFailed;
        const auto error = cursor.Number(Int32Min, Int32Max);
        record.error = error.value_or(0);
        return error && ParseFailureTail(cursor, send, record);
    }
    return false;
}

// The message of a record line, after the prefix. The messages differ in
// their first two bytes ("**", " A" or "  "), so only one group is tried.
bool ParseMessage(TCursor& cursor, TLogRecord& record) {
    const std::string_view start = cursor.Rest().substr(0, 2);
    if (start == " A")
        return ParseAttempt(cursor, record);
    if (start == "  ")
        return ParseOutcome(cursor, record);
    if (cursor.Literal("***Succeeded trying to open device at path: ")) {
        record.kind = TRecordKind::OpenSucceeded;
        record.text.assign(cursor.Rest());
        return true;
    }
    if (cursor.Literal("***Failed trying to open device at path: ")) {
        record.kind = TRecordKind::OpenFailed;
        record.text.assign(cursor.Rest());
        return true;
    }
    if (cursor.Literal("***Device Closed.")) {
        record.kind = TRecordKind::Closed;
        return cursor.AtEnd();
    }
    return false;
}

// "<thread> : Time: <tick>  <message>"
bool ParseRecord(std::string_view line, TLogRecord& record) {
    TCursor cursor(line);
    const auto thread = cursor.Number(Int32Min, UInt32Max);
    if (!thread || !cursor.Literal(" : Time: "))
        return false;
    const auto tick = cursor.Number(Int32Min, Int32Max);
    if (!tick || !cursor.Literal("  "))
        return false;
    record.thread = *thread;
    record.tick = static_cast<uint32_t>(*tick);
    record.count = 0;
    record.error = 0;
    record.bytes.clear();
    record.text.clear();
    return ParseMessage(cursor, record);
}

}  // namespace

TLineParser::TKind TLineParser::Parse(const TLogLine& line) {
    if (line.text.empty())
        return TKind::Blank;
    // Every complete line ends with a line break; without one the numbers
    // at its end may have lost digits, so it is not trusted.
    if (line.cutOff || line.tooLong)
        return TKind::Unparsed;
    if (ParseRecord(line.text, record)) {
        record.line = line.number;
        return TKind::Record;
    }
    if (ParseHeader(line.text, header)) {
        header.line = line.number;
        return TKind::Header;
    }
    return TKind::Unparsed;
}

TParsedLog ParseTrafficLog(std::string_view text) {
    TParsedLog log;
    TLineSplitter splitter;
    TLineParser parser;
    auto add = [&](const TLogLine& line) {
        switch (parser.Parse(line)) {
            case TLineParser::TKind::Blank:
                ++log.blankLines;
                return;
            case TLineParser::TKind::Record:
                log.records.push_back(parser.Record());
                return;
            case TLineParser::TKind::Header:
                log.headers.push_back(parser.Header());
                return;
            case TLineParser::TKind::Unparsed:
                log.unparsed.push_back({line.number, std::string(line.text), line.cutOff});
        }
    };
    splitter.Feed(text, add);
    splitter.Finish(add);
    log.lines = splitter.Lines();
    return log;
}

}  // namespace VrxctlLog
