#include <optional>

#include "log_records.h"

namespace VrxctlLog {

namespace {

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
        size_t i = !rest.empty() && rest[0] == '-' ? 1 : 0;
        const size_t first = i;
        int64_t value = 0;
        for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
            if (i - first >= 10)  // more digits than any 32-bit value has
                return std::nullopt;
            value = value * 10 + (rest[i] - '0');
        }
        if (i == first)
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
        std::vector<uint8_t> list;
        std::string_view text = rest;
        while (!text.empty()) {
            const int high = text.size() >= 2 ? Hex(text[0]) : -1;
            const int low = text.size() >= 2 ? Hex(text[1]) : -1;
            if (high < 0 || low < 0 || (text.size() > 2 && text[2] != ' '))
                return false;
            list.push_back(static_cast<uint8_t>(high * 16 + low));
            text.remove_prefix(text.size() > 2 ? 3 : 2);
        }
        bytes = std::move(list);
        rest = text;
        return true;
    }

    std::string_view Rest() const { return rest; }
    bool AtEnd() const { return rest.empty(); }

  private:
    static int Hex(char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    }

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

std::optional<THeader> ParseHeader(std::string_view line) {
    TCursor cursor(line);
    THeader header;
    if (cursor.Literal(" Dumped at: "))
        header.dump = true;
    else if (!cursor.Literal(" Logger Class Created: "))
        return std::nullopt;
    if (!IsTimestamp(cursor.Rest()))
        return std::nullopt;
    header.timestamp = std::string(cursor.Rest());
    return header;
}

// What follows "WinAPI Err: e" in a failure record: "    No bytes <unit>." or
// "    <count>    bytes <unit>: <raw text>".
bool ParseFailureTail(TCursor& cursor, std::string_view unit, TLogRecord& record) {
    const std::string none = "    No bytes " + std::string(unit) + ".";
    if (cursor.Literal(none)) {
        record.count = 0;
        return cursor.AtEnd();
    }
    if (!cursor.Literal("    "))
        return false;
    const auto count = cursor.Number(0, UInt32Max);
    if (!count || !cursor.Literal("    bytes " + std::string(unit) + ": "))
        return false;
    record.count = static_cast<uint32_t>(*count);
    record.text = std::string(cursor.Rest());
    return true;
}

// The message of a record line, after the prefix.
bool ParseMessage(TCursor& cursor, TLogRecord& record) {
    if (cursor.Literal("***Succeeded trying to open device at path: ")) {
        record.kind = TRecordKind::OpenSucceeded;
        record.text = std::string(cursor.Rest());
        return true;
    }
    if (cursor.Literal("***Failed trying to open device at path: ")) {
        record.kind = TRecordKind::OpenFailed;
        record.text = std::string(cursor.Rest());
        return true;
    }
    if (cursor.Literal("***Device Closed.")) {
        record.kind = TRecordKind::Closed;
        return cursor.AtEnd();
    }
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
        return error && ParseFailureTail(cursor, send ? "written" : "read", record);
    }
    return false;
}

// "<thread> : Time: <tick>  <message>"
std::optional<TLogRecord> ParseRecord(std::string_view line, size_t number) {
    TCursor cursor(line);
    TLogRecord record;
    record.line = number;
    const auto thread = cursor.Number(Int32Min, UInt32Max);
    if (!thread || !cursor.Literal(" : Time: "))
        return std::nullopt;
    const auto tick = cursor.Number(Int32Min, Int32Max);
    if (!tick || !cursor.Literal("  "))
        return std::nullopt;
    record.thread = *thread;
    record.tick = static_cast<uint32_t>(*tick);
    if (!ParseMessage(cursor, record))
        return std::nullopt;
    return record;
}

}  // namespace

TParsedLog ParseTrafficLog(std::string_view text) {
    TParsedLog log;
    // A byte-order mark left by an editor that saved the file.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const bool cutOff = end == std::string_view::npos;
        std::string_view line = text.substr(0, end);
        text.remove_prefix(cutOff ? text.size() : end + 1);
        while (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const size_t number = ++log.lines;
        if (line.empty()) {
            ++log.blankLines;
            continue;
        }
        // Every complete line ends with a line break; without one the
        // numbers at its end may have lost digits, so it is not trusted.
        if (!cutOff) {
            if (auto record = ParseRecord(line, number)) {
                log.records.push_back(std::move(*record));
                continue;
            }
            if (auto header = ParseHeader(line)) {
                header->line = number;
                log.headers.push_back(std::move(*header));
                continue;
            }
        }
        log.unparsed.push_back({number, std::string(line), cutOff});
    }
    return log;
}

}  // namespace VrxctlLog
