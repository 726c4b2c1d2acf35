#include "log_report.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

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
std::string Printable(const std::string& text) {
    constexpr size_t limit = 160;
    std::string out;
    for (size_t i = 0; i < text.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        }
    }
    return text.size() > limit ? out + "..." : out;
}

std::string Hex(const TLogEntry& entry, size_t from, size_t count) {
    std::string out;
    for (size_t i = from; i < from + count; ++i) {
        char item[4];
        std::snprintf(item, sizeof item, "%02X", entry.ReplyByte(i));
        out += (out.empty() ? "" : " ") + std::string(item);
    }
    return out;
}

// The tick as the log writes it, signed.
int64_t SignedTick(uint32_t tick) {
    return static_cast<int32_t>(tick);
}

std::string Plural(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Pad(std::string text, size_t width) {
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

std::string PadLeft(const std::string& text, size_t width) {
    return std::string(text.size() < width ? width - text.size() : 0, ' ') + text;
}

// What the exchange carried: the value written, the register's value, or a
// block's data bytes.
std::string ValueText(const TLogEntry& entry) {
    if (!entry.HasCommand())
        return entry.reply.empty() ? "" : "reply " + Hex(entry, 0, 3);
    const TCommandInfo info = CommandInfo(entry.Command());
    if (info.kind == TCommandKind::Write ||
        (info.kind == TCommandKind::Unknown && entry.sent.size() >= 3))
        return "sent " + std::to_string(entry.sent.size() >= 3 ? entry.sent[2] : 0);
    if (entry.outcome != TOutcome::Answered)
        return "";
    if (info.kind == TCommandKind::Block)
        return "data " + Hex(entry, 2, info.blockBytes);
    return info.kind == TCommandKind::Bare ? "" : "read " + std::to_string(entry.ReplyByte(2));
}

std::string FailedTransferText(const char* what, const TLogEntry& entry, const char* unit) {
    return std::string(what) + ": Windows error " + std::to_string(entry.error) + ", " +
           (entry.transferred == 0 ? std::string("no bytes ") + unit
                                   : Plural(entry.transferred, "byte ", "bytes ") + unit);
}

std::string ResultText(const TLogEntry& entry) {
    std::string text;
    switch (entry.outcome) {
        case TOutcome::Answered:
            text = "echo ok";
            break;
        case TOutcome::Rejected:
            text = "REJECTED: reply byte 1 is 0xFF";
            break;
        case TOutcome::NotEchoed:
            text = "NO ECHO: the reply echoes " + CommandLabel(entry.ReplyByte(1));
            break;
        case TOutcome::NoAnswer:
            text = "NO ANSWER: only empty reads";
            break;
        case TOutcome::SendFailed:
            text = FailedTransferText("SEND FAILED", entry, "written");
            break;
        case TOutcome::NothingWritten:
            text = "SEND FAILED: 0 bytes written";
            break;
        case TOutcome::ReadFailed:
            text = FailedTransferText("READ FAILED", entry, "read");
            break;
        case TOutcome::SentOnly:
            text = "sent, answer not read";
            break;
        case TOutcome::Incomplete:
            text = "incomplete: no further record of it";
            break;
        case TOutcome::Partial:
            text = "partial: its first records are not in the log";
            break;
    }
    if (entry.answerTimed)
        text += ", " + std::to_string(entry.elapsedMs) + " ms";
    if (entry.emptyReads != 0)
        text += ", " + Plural(entry.emptyReads, "empty read", "empty reads");
    return text;
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

std::string Columns(const std::string& mark, const std::string& line, const std::string& tick,
                    const std::string& thread, const std::string& rest) {
    return mark + " " + PadLeft(line, 7) + " " + PadLeft(tick, 11) + " " + PadLeft(thread, 7) +
           "  " + rest;
}

}  // namespace

std::string EntryTextHeading() {
    return Columns("  ", "line", "tick", "thread",
                   Pad("command", CommandWidth) + Pad("value", ValueWidth) + "result");
}

std::string EntryText(const TLogEntry& entry) {
    const std::string line = std::to_string(entry.line);
    if (entry.kind == TEntryKind::Unparsed)
        return Columns(Mark(entry), line, "", "",
                       std::string(entry.cutOff ? "cut off: \"" : "cannot parse: \"") +
                           Printable(entry.text) + "\"");
    if (entry.kind == TEntryKind::LoggerCreated || entry.kind == TEntryKind::Dumped)
        return Columns(
            Mark(entry), line, "", "",
            (entry.kind == TEntryKind::Dumped ? "dumped at " : "logger created ") + entry.text);
    const std::string tick = std::to_string(SignedTick(entry.tick));
    const std::string thread = std::to_string(entry.thread);
    switch (entry.kind) {
        case TEntryKind::DeviceOpened:
            return Columns(Mark(entry), line, tick, thread,
                           "device opened " + Printable(entry.text));
        case TEntryKind::OpenFailed:
            return Columns(Mark(entry), line, tick, thread,
                           "DEVICE OPEN FAILED " + Printable(entry.text));
        case TEntryKind::DeviceClosed:
            return Columns(Mark(entry), line, tick, thread, "device closed");
        default:
            break;
    }
    const std::string command = entry.HasCommand() ? CommandLabel(entry.Command()) : "?";
    return Columns(Mark(entry), line, tick, thread,
                   Pad(command, CommandWidth - 1) + " " + Pad(ValueText(entry), ValueWidth - 1) +
                       " " + ResultText(entry));
}

std::string EntryJson(const TLogEntry& entry) {
    TRecord record;
    switch (entry.kind) {
        case TEntryKind::Unparsed:
            return record.Text("type", "unparsed")
                .Number("line", static_cast<int64_t>(entry.line))
                .Text("text", Printable(entry.text))
                .Flag("cutOff", entry.cutOff)
                .Json();
        case TEntryKind::LoggerCreated:
        case TEntryKind::Dumped:
            return record.Text("type", "header")
                .Number("line", static_cast<int64_t>(entry.line))
                .Text("event", entry.kind == TEntryKind::Dumped ? "dumped" : "loggerCreated")
                .Text("time", entry.text)
                .Json();
        default:
            break;
    }
    const bool exchange = entry.kind == TEntryKind::Exchange;
    record.Text("type", exchange ? "exchange" : "device")
        .Number("line", static_cast<int64_t>(entry.line))
        .Number("tick", SignedTick(entry.tick))
        .Number("thread", entry.thread);
    if (entry.kind == TEntryKind::DeviceClosed)
        return record.Text("event", "closed").Json();
    if (!exchange)
        return record
            .Text("event", entry.kind == TEntryKind::DeviceOpened ? "opened" : "openFailed")
            .Text("path", Printable(entry.text))
            .Json();
    if (entry.HasCommand()) {
        const TCommandInfo info = CommandInfo(entry.Command());
        record.Number("command", entry.Command());
        if (info.name != nullptr)
            record.Text("name", info.name);
        if (entry.sent.size() >= 3)
            record.Number("sent", entry.sent[2]);
        if (entry.outcome == TOutcome::Answered && info.kind == TCommandKind::Register)
            record.Number("value", entry.ReplyByte(2));
        if (entry.outcome == TOutcome::Answered && info.kind == TCommandKind::Block) {
            std::vector<int64_t> data;
            for (size_t i = 0; i < info.blockBytes; ++i)
                data.push_back(entry.ReplyByte(2 + i));
            record.Numbers("data", data);
        }
    }
    if (!entry.reply.empty())
        record.Number("echo", entry.ReplyByte(1));
    record.Text("result", NamesOf(entry.outcome).json);
    if (entry.answerTimed)
        record.Number("latencyMs", entry.elapsedMs);
    record.Number("emptyReads", entry.emptyReads);
    if (entry.outcome == TOutcome::SendFailed || entry.outcome == TOutcome::ReadFailed)
        record.Number("error", entry.error).Number("transferred", entry.transferred);
    return record.Json();
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

bool PrintDecodedLog(std::string_view text, const std::string& name, bool json, std::ostream& out,
                     std::ostream& err) {
    const TParsedLog log = ParseTrafficLog(text);
    if (!log.IsTrafficLog()) {
        err << "vrxctl: " << name << " is not a traffic log: "
            << (log.lines == log.blankLines ? "it is empty"
                                            : "none of its lines is a log header or record")
            << "\n";
        return false;
    }
    const std::vector<TLogEntry> entries = BuildEntries(log);
    if (!json)
        out << EntryTextHeading() << "\n";
    for (const TLogEntry& entry : entries)
        out << (json ? EntryJson(entry) : EntryText(entry)) << "\n";
    const TLogSummary summary = Summarize(log, entries);
    out << (json ? SummaryJson(summary) + "\n" : SummaryText(summary));
    out.flush();
    return true;
}

bool DecodeLogFile(const std::string& path, bool json, std::ostream& out, std::ostream& err) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        err << "vrxctl: cannot read " << path << "\n";
        return false;
    }
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    if (file.bad()) {
        err << "vrxctl: cannot read " << path << "\n";
        return false;
    }
    return PrintDecodedLog(text, path, json, out, err);
}

}  // namespace VrxctlLog
