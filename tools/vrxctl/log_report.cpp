#include "log_report.h"

#include <vector>

#include "log_commands.h"
#include "output.h"

namespace VrxctlLog {

namespace {

struct TOutcomeNames {
    const char* json;
    const char* text;
};

// In the order of TOutcome.
const TOutcomeNames outcomeNames[OutcomeCount] = {
    // clang-format off
    {"answered", "answered"},
    {"rejected", "rejected"},
    {"notEchoed", "not echoed"},
    {"noAnswer", "no answer (time-out)"},
    {"sendFailed", "send failed"},
    {"nothingWritten", "wrote 0 bytes"},
    {"readFailed", "read failed"},
    {"sentOnly", "sent, answer not read"},
    {"incomplete", "incomplete"},
    {"partial", "partial"},
    // clang-format on
};

const TOutcomeNames& NamesOf(TOutcome outcome) {
    return outcomeNames[static_cast<size_t>(outcome)];
}

// Text taken from the file, safe for a terminal and for JSON: bytes outside
// printable ASCII as \xHH, and no more than a screen line or two of it.
void AppendPrintable(std::string& out, std::string_view text) {
    constexpr size_t limit = 160;
    static const char digits[] = "0123456789ABCDEF";
    for (size_t i = 0; i < text.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            const char escaped[4] = {'\\', 'x', digits[c >> 4], digits[c & 15]};
            out.append(escaped, 4);
        }
    }
    if (text.size() > limit)
        out += "...";
}

std::string Printable(std::string_view text) {
    std::string out;
    AppendPrintable(out, text);
    return out;
}

// Writes value's digits to end backwards; returns where they start.
char* Digits(int64_t value, char* end) {
    static const char pairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    uint64_t magnitude =
        value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    while (magnitude >= 100) {
        const size_t pair = static_cast<size_t>(magnitude % 100) * 2;
        magnitude /= 100;
        *--end = pairs[pair + 1];
        *--end = pairs[pair];
    }
    if (magnitude >= 10) {
        *--end = pairs[magnitude * 2 + 1];
        *--end = pairs[magnitude * 2];
    } else {
        *--end = static_cast<char>('0' + magnitude);
    }
    if (value < 0)
        *--end = '-';
    return end;
}

void AppendNumber(std::string& out, int64_t value) {
    char digits[24];
    char* const end = digits + sizeof digits;
    const char* first = Digits(value, end);
    out.append(first, static_cast<size_t>(end - first));
}

// value right-aligned in width columns, then a blank, at the end of text.
char* PutNumberPadLeft(char* text, int64_t value, size_t width) {
    char digits[24];
    char* const end = digits + sizeof digits;
    const char* first = Digits(value, end);
    const size_t length = static_cast<size_t>(end - first);
    for (size_t i = length; i < width; ++i)
        *text++ = ' ';
    for (; first != end; ++first)
        *text++ = *first;
    *text++ = ' ';
    return text;
}

// Pads what was appended to out since from to width.
void PadFrom(std::string& out, size_t from, size_t width) {
    if (out.size() - from < width)
        out.append(width - (out.size() - from), ' ');
}

void AppendHex(std::string& out, const TLogEntry& entry, size_t from, size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    for (size_t i = from; i < from + count; ++i) {
        const uint8_t byte = entry.ReplyByte(i);
        if (i != from)
            out.push_back(' ');
        out.push_back(digits[byte >> 4]);
        out.push_back(digits[byte & 15]);
    }
}

// The tick as the log writes it, signed.
int64_t SignedTick(uint32_t tick) {
    return static_cast<int32_t>(tick);
}

std::string Plural(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

void AppendPlural(std::string& out, size_t n, const char* one, const char* many) {
    AppendNumber(out, static_cast<int64_t>(n));
    out.push_back(' ');
    out += n == 1 ? one : many;
}

std::string Pad(std::string text, size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

// CommandLabel of every code, made once.
const std::string& Label(uint8_t code) {
    static const std::vector<std::string> labels = [] {
        std::vector<std::string> all;
        for (unsigned i = 0; i < 256; ++i)
            all.push_back(CommandLabel(static_cast<uint8_t>(i)));
        return all;
    }();
    return labels[code];
}

// What the exchange carried: the value written, the register's value, or a
// block's data bytes.
void AppendValue(std::string& out, const TLogEntry& entry) {
    if (!entry.HasCommand()) {
        if (!entry.reply.empty()) {
            out += "reply ";
            AppendHex(out, entry, 0, 3);
        }
        return;
    }
    const TCommandInfo info = CommandInfo(entry.Command());
    if (info.kind == TCommandKind::Write ||
        (info.kind == TCommandKind::Unknown && entry.sent.size() >= 3)) {
        out += "sent ";
        AppendNumber(out, entry.sent.size() >= 3 ? entry.sent[2] : 0);
        return;
    }
    if (entry.outcome != TOutcome::Answered)
        return;
    if (info.kind == TCommandKind::Block) {
        out += "data ";
        AppendHex(out, entry, 2, info.blockBytes);
    } else if (info.kind != TCommandKind::Bare) {
        out += "read ";
        AppendNumber(out, entry.ReplyByte(2));
    }
}

void AppendFailedTransfer(std::string& out, const char* what, const TLogEntry& entry,
                          const char* unit) {
    out += what;
    out += ": Windows error ";
    AppendNumber(out, entry.error);
    out += ", ";
    if (entry.transferred == 0)
        out += "no bytes ";
    else
        AppendPlural(out, entry.transferred, "byte ", "bytes ");
    out += unit;
}

void AppendResult(std::string& out, const TLogEntry& entry) {
    switch (entry.outcome) {
        case TOutcome::Answered:
            out += "echo ok";
            break;
        case TOutcome::Rejected:
            out += "REJECTED: reply byte 1 is 0xFF";
            break;
        case TOutcome::NotEchoed:
            out += "NO ECHO: the reply echoes ";
            out += Label(entry.ReplyByte(1));
            break;
        case TOutcome::NoAnswer:
            out += "NO ANSWER: only empty reads";
            break;
        case TOutcome::SendFailed:
            AppendFailedTransfer(out, "SEND FAILED", entry, "written");
            break;
        case TOutcome::NothingWritten:
            out += "SEND FAILED: 0 bytes written";
            break;
        case TOutcome::ReadFailed:
            AppendFailedTransfer(out, "READ FAILED", entry, "read");
            break;
        case TOutcome::SentOnly:
            out += "sent, answer not read";
            break;
        case TOutcome::Incomplete:
            out += "incomplete: no further record of it";
            break;
        case TOutcome::Partial:
            out += "partial: its first records are not in the log";
            break;
    }
    if (entry.answerTimed) {
        out += ", ";
        AppendNumber(out, entry.elapsedMs);
        out += " ms";
    }
    if (entry.emptyReads != 0) {
        out += ", ";
        AppendPlural(out, entry.emptyReads, "empty read", "empty reads");
    }
}

const char* Mark(const TLogEntry& entry) {
    switch (entry.kind) {
        case TEntryKind::Exchange:
            if (IsFailure(entry.outcome))
                return "!!";
            return entry.outcome == TOutcome::Incomplete || entry.outcome == TOutcome::Partial
                       ? "??"
                       : "  ";
        case TEntryKind::OpenFailed:
            return "!!";
        case TEntryKind::Unparsed:
            return "??";
        default:
            return "==";
    }
}

constexpr size_t CommandWidth = 22;
constexpr size_t ValueWidth = 18;

// The columns before the rest of an entry's text: mark, line, tick, thread.
void AppendColumns(std::string& out, const char* mark, size_t line, const TLogEntry* record) {
    char text[96];
    char* end = text;
    *end++ = mark[0];
    *end++ = mark[1];
    *end++ = ' ';
    end = PutNumberPadLeft(end, static_cast<int64_t>(line), 7);
    if (record == nullptr) {
        out.append(text, static_cast<size_t>(end - text));
        out.append(11 + 1 + 7 + 1 + 1, ' ');
        return;
    }
    end = PutNumberPadLeft(end, SignedTick(record->tick), 11);
    end = PutNumberPadLeft(end, record->thread, 7);
    *end++ = ' ';
    out.append(text, static_cast<size_t>(end - text));
}

// "key": as the first or a later field of a JSON object.
void AppendKey(std::string& out, const char* key) {
    out += out.back() == '{' ? "\"" : ",\"";
    out += key;
    out += "\":";
}

void AppendJsonNumber(std::string& out, const char* key, int64_t value) {
    AppendKey(out, key);
    AppendNumber(out, value);
}

void AppendJsonText(std::string& out, const char* key, std::string_view value) {
    AppendKey(out, key);
    AppendJsonString(out, value);
}

void AppendJsonPrintable(std::string& out, const char* key, std::string_view value) {
    AppendKey(out, key);
    AppendJsonString(out, Printable(value));
}

}  // namespace

std::string EntryTextHeading() {
    return "  " + std::string(" ") + std::string(7 - 4, ' ') + "line" + " " +
           std::string(11 - 4, ' ') + "tick" + " " + std::string(7 - 6, ' ') + "thread" + "  " +
           Pad("command", CommandWidth) + Pad("value", ValueWidth) + "result";
}

void AppendEntryText(std::string& out, const TLogEntry& entry) {
    switch (entry.kind) {
        case TEntryKind::Unparsed:
            AppendColumns(out, Mark(entry), entry.line, nullptr);
            out += entry.cutOff ? "cut off: \"" : "cannot parse: \"";
            AppendPrintable(out, entry.text);
            out.push_back('"');
            return;
        case TEntryKind::LoggerCreated:
        case TEntryKind::Dumped:
            AppendColumns(out, Mark(entry), entry.line, nullptr);
            out += entry.kind == TEntryKind::Dumped ? "dumped at " : "logger created ";
            out += entry.text;
            return;
        case TEntryKind::DeviceOpened:
            AppendColumns(out, Mark(entry), entry.line, &entry);
            out += "device opened ";
            AppendPrintable(out, entry.text);
            return;
        case TEntryKind::OpenFailed:
            AppendColumns(out, Mark(entry), entry.line, &entry);
            out += "DEVICE OPEN FAILED ";
            AppendPrintable(out, entry.text);
            return;
        case TEntryKind::DeviceClosed:
            AppendColumns(out, Mark(entry), entry.line, &entry);
            out += "device closed";
            return;
        case TEntryKind::Exchange:
            break;
    }
    AppendColumns(out, Mark(entry), entry.line, &entry);
    size_t from = out.size();
    out += entry.HasCommand() ? std::string_view(Label(entry.Command())) : "?";
    PadFrom(out, from, CommandWidth - 1);
    out.push_back(' ');
    from = out.size();
    AppendValue(out, entry);
    PadFrom(out, from, ValueWidth - 1);
    out.push_back(' ');
    AppendResult(out, entry);
}

void AppendEntryJson(std::string& out, const TLogEntry& entry) {
    out.push_back('{');
    switch (entry.kind) {
        case TEntryKind::Unparsed:
            AppendJsonText(out, "type", "unparsed");
            AppendJsonNumber(out, "line", static_cast<int64_t>(entry.line));
            AppendJsonPrintable(out, "text", entry.text);
            out += entry.cutOff ? ",\"cutOff\":true}" : ",\"cutOff\":false}";
            return;
        case TEntryKind::LoggerCreated:
        case TEntryKind::Dumped:
            AppendJsonText(out, "type", "header");
            AppendJsonNumber(out, "line", static_cast<int64_t>(entry.line));
            AppendJsonText(out, "event",
                           entry.kind == TEntryKind::Dumped ? "dumped" : "loggerCreated");
            AppendJsonText(out, "time", entry.text);
            out.push_back('}');
            return;
        default:
            break;
    }
    const bool exchange = entry.kind == TEntryKind::Exchange;
    AppendJsonText(out, "type", exchange ? "exchange" : "device");
    AppendJsonNumber(out, "line", static_cast<int64_t>(entry.line));
    AppendJsonNumber(out, "tick", SignedTick(entry.tick));
    AppendJsonNumber(out, "thread", entry.thread);
    if (entry.kind == TEntryKind::DeviceClosed) {
        AppendJsonText(out, "event", "closed");
        out.push_back('}');
        return;
    }
    if (!exchange) {
        AppendJsonText(out, "event",
                       entry.kind == TEntryKind::DeviceOpened ? "opened" : "openFailed");
        AppendJsonPrintable(out, "path", entry.text);
        out.push_back('}');
        return;
    }
    if (entry.HasCommand()) {
        const TCommandInfo info = CommandInfo(entry.Command());
        AppendJsonNumber(out, "command", entry.Command());
        if (info.name != nullptr)
            AppendJsonText(out, "name", info.name);
        if (entry.sent.size() >= 3)
            AppendJsonNumber(out, "sent", entry.sent[2]);
        if (entry.outcome == TOutcome::Answered && info.kind == TCommandKind::Register)
            AppendJsonNumber(out, "value", entry.ReplyByte(2));
        if (entry.outcome == TOutcome::Answered && info.kind == TCommandKind::Block) {
            AppendKey(out, "data");
            for (size_t i = 0; i < info.blockBytes; ++i) {
                out.push_back(i == 0 ? '[' : ',');
                AppendNumber(out, entry.ReplyByte(2 + i));
            }
            out += info.blockBytes == 0 ? "[]" : "]";
        }
    }
    if (!entry.reply.empty())
        AppendJsonNumber(out, "echo", entry.ReplyByte(1));
    AppendJsonText(out, "result", NamesOf(entry.outcome).json);
    if (entry.answerTimed)
        AppendJsonNumber(out, "latencyMs", entry.elapsedMs);
    AppendJsonNumber(out, "emptyReads", entry.emptyReads);
    if (entry.outcome == TOutcome::SendFailed || entry.outcome == TOutcome::ReadFailed) {
        AppendJsonNumber(out, "error", entry.error);
        AppendJsonNumber(out, "transferred", entry.transferred);
    }
    out.push_back('}');
}

void AppendRecordLines(std::string& out, const TLogEntry& entry, bool json) {
    const TRecordLines& lines = entry.recordLines;
    for (size_t i = 0; i < lines.Size(); ++i) {
        if (i + 1 == lines.Size() && lines.Skipped() != 0) {
            if (json) {
                out += "{\"type\":\"records\",\"skipped\":";
                AppendNumber(out, static_cast<int64_t>(lines.Skipped()));
                out += "}\n";
            } else {
                out.append(2 + 1 + 7 + 1 + 11 + 1 + 7 + 2, ' ');
                out += "| ... ";
                AppendPlural(out, lines.Skipped(), "more record", "more records");
                out += '\n';
            }
        }
        if (json) {
            out.push_back('{');
            AppendJsonText(out, "type", "record");
            AppendJsonNumber(out, "line", static_cast<int64_t>(lines.Line(i)));
            AppendJsonPrintable(out, "text", lines.Text(i));
            out += "}\n";
        } else {
            AppendColumns(out, "  ", lines.Line(i), nullptr);
            out += "| ";
            AppendPrintable(out, lines.Text(i));
            out += '\n';
        }
    }
}

std::string EntryText(const TLogEntry& entry) {
    std::string out;
    AppendEntryText(out, entry);
    return out;
}

std::string EntryJson(const TLogEntry& entry) {
    std::string out;
    AppendEntryJson(out, entry);
    return out;
}

namespace {

std::string CommandName(const TCommandSummary& command) {
    return command.code ? CommandLabel(*command.code) : "? (message not in the log)";
}

}  // namespace

std::string SummaryText(const TLogSummary& summary) {
    std::string outcomes;
    std::string failures;
    for (size_t i = 0; i < OutcomeCount; ++i) {
        if (summary.outcomes[i] == 0)
            continue;
        std::string& list = IsFailure(static_cast<TOutcome>(i)) ? failures : outcomes;
        list += (list.empty() ? "" : ", ") + std::to_string(summary.outcomes[i]) + " " +
                outcomeNames[i].text;
    }
    std::string errors;
    for (const auto& [error, count] : summary.windowsErrors)
        errors += (errors.empty() ? "" : ", ") + std::to_string(error) + " (" +
                  Plural(count, "time)", "times)");
    std::string unparsed;
    for (size_t line : summary.unparsedLines)
        unparsed += (unparsed.empty() ? "" : ", ") + std::to_string(line);

    TRecord record;
    record
        .Text("lines", std::to_string(summary.lines) + " (" +
                           Plural(summary.records, "record", "records") + ", " +
                           std::to_string(summary.unparsedLines.size()) + " unparsed)")
        .Text("loggers", Plural(summary.loggersCreated, "created", "created") + ", " +
                             Plural(summary.dumps, "dump", "dumps"))
        .Number("threads", static_cast<int64_t>(summary.threads))
        .Text("exchanges",
              std::to_string(summary.exchanges) + (outcomes.empty() ? "" : ": " + outcomes))
        .Text("failures",
              summary.failures == 0 ? "none" : std::to_string(summary.failures) + ": " + failures)
        .Text("devices", Plural(summary.devicesOpened, "opened", "opened") + ", " +
                             std::to_string(summary.openFailures) + " failed to open, " +
                             std::to_string(summary.devicesClosed) + " closed");
    if (!errors.empty())
        record.Text("Windows errors", errors);
    if (!unparsed.empty())
        record.Text("unparsed lines", unparsed);

    std::vector<TRecord> rows;
    for (const TCommandSummary& command : summary.commands) {
        TRecord row;
        row.Text("command", CommandName(command))
            .Number("exchanges", static_cast<int64_t>(command.exchanges))
            .Number("failures", static_cast<int64_t>(command.failures))
            .Number("empty reads", static_cast<int64_t>(command.emptyReads));
        if (command.latency)
            row.Text("ms min/median/max", std::to_string(command.latency->min) + " / " +
                                              std::to_string(command.latency->median) + " / " +
                                              std::to_string(command.latency->max));
        else
            row.Text("ms min/median/max", "-");
        rows.push_back(row);
    }
    std::string text = "\nsummary\n" + record.Text();
    if (!rows.empty())
        text += "\n" + TRecord().Rows("commands", rows).Text();
    return text;
}

std::string SummaryJson(const TLogSummary& summary) {
    TRecord record;
    record.Text("type", "summary")
        .Number("lines", static_cast<int64_t>(summary.lines))
        .Number("records", static_cast<int64_t>(summary.records))
        .Number("loggersCreated", static_cast<int64_t>(summary.loggersCreated))
        .Number("dumps", static_cast<int64_t>(summary.dumps))
        .Number("threads", static_cast<int64_t>(summary.threads))
        .Number("exchanges", static_cast<int64_t>(summary.exchanges))
        .Number("failures", static_cast<int64_t>(summary.failures));
    for (size_t i = 0; i < OutcomeCount; ++i)
        record.Number(outcomeNames[i].json, static_cast<int64_t>(summary.outcomes[i]));
    record.Number("devicesOpened", static_cast<int64_t>(summary.devicesOpened))
        .Number("openFailures", static_cast<int64_t>(summary.openFailures))
        .Number("devicesClosed", static_cast<int64_t>(summary.devicesClosed));
    std::vector<int64_t> unparsed(summary.unparsedLines.begin(), summary.unparsedLines.end());
    record.Numbers("unparsedLines", unparsed);
    std::vector<TRecord> errors;
    for (const auto& [error, count] : summary.windowsErrors)
        errors.push_back(
            TRecord().Number("error", error).Number("count", static_cast<int64_t>(count)));
    record.Rows("windowsErrors", errors);
    std::vector<TRecord> commands;
    for (const TCommandSummary& command : summary.commands) {
        TRecord row;
        if (command.code) {
            row.Number("command", *command.code);
            if (const char* name = CommandInfo(*command.code).name)
                row.Text("name", name);
        }
        row.Number("exchanges", static_cast<int64_t>(command.exchanges))
            .Number("failures", static_cast<int64_t>(command.failures))
            .Number("emptyReads", static_cast<int64_t>(command.emptyReads));
        if (command.latency)
            row.Number("latencyMinMs", command.latency->min)
                .Number("latencyMedianMs", command.latency->median)
                .Number("latencyMaxMs", command.latency->max);
        commands.push_back(row);
    }
    record.Rows("commands", commands);
    return record.Json();
}

}  // namespace VrxctlLog
