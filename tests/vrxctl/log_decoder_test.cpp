// The traffic-log decoder against logs that the library itself writes while
// the test drives emulated units: every exchange the unit received is
// decoded with its value, echo, answer time and empty reads, faults stand
// out with their Windows errors, and the summary adds them up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "library_log.h"
#include "log_report.h"

using KL_VRXEmu::TEmulatedBus;
using KL_VRXEmu::TEmulatedUnit;
using KL_VRXSDK::KLSYS_IVRX;
using namespace VrxctlLog;
using namespace KL_VRXTest;

namespace {

// Reopening a unit with the log on, a move, a block read and the park at
// deletion: one entry per exchange the unit received, each answered with
// the value the unit holds. The tick count is written as a signed number
// and wraps during the session: answer times across the wrap are still
// those of the exchanges.
TEST_F(LibraryLog, DecodesEveryExchangeOfASession) {
    bus.AttachUnit(1);
    KLSYS_IVRX* vrx = Create(1);
    bus.SetTick(0xFFFFFFFB);
    ASSERT_EQ(vrx->Open(1, 0), 0u) << vrx->GetLastErrorText();
    ASSERT_EQ(vrx->SetPosition21(2), 0u) << vrx->GetLastErrorText();
    uint32_t number = 0;
    ASSERT_EQ(vrx->GetDeviceNumber(&number), 0u);
    DeleteVRX(vrx);

    const TDecoded decoded = Decode(LogFile());
    // The move and the device number read, with their values (the start-up
    // and the park around them are the library suites' concern).
    const std::vector<std::string> briefs = Briefs(decoded);
    const std::vector<std::string> moved = {
        "SetPosition21 sent 3 answered", "Position21 read 3 answered", "Position21 read 3 answered",
        "ReadDeviceNumber answered"};
    EXPECT_NE(std::search(briefs.begin(), briefs.end(), moved.begin(), moved.end()), briefs.end())
        << ::testing::PrintToString(briefs);
    const std::vector<TLogEntry> exchanges = decoded.Exchanges();
    EXPECT_EQ(exchanges[0].tick, 0xFFFFFFFBu);
    EXPECT_NE(EntryText(exchanges[0]).find(" -5 "), std::string::npos) << EntryText(exchanges[0]);
    const TLogEntry& block = exchanges.at(14);
    EXPECT_EQ(block.ReplyByte(1), 25);
    EXPECT_EQ(std::vector<uint8_t>(block.reply.begin() + 2, block.reply.begin() + 6),
              (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
    // Written, send succeeded, read, answered: one report each way.
    for (const TLogEntry& exchange : exchanges)
        EXPECT_EQ(exchange.elapsedMs, 2u) << "line " << exchange.line;

    const TLogSummary& summary = decoded.summary;
    EXPECT_EQ(summary.exchanges, 19u);
    ASSERT_EQ(summary.commands.size(), 7u);
    EXPECT_EQ(summary.commands[0].exchanges, 9u);
}

// A unit found in the other launch mode while the log is on: it is opened,
// told to take up launch mode 2 and closed; the apply message is never
// answered, and that is no failure.
TEST_F(LibraryLog, LaunchModeSwitch) {
    bus.AttachUnit(1);
    KLSYS_IVRX* vrx = Create(1);
    bus.AttachUnit(1, 1);
    ASSERT_EQ(vrx->Open(1, 0), 0u) << vrx->GetLastErrorText();
    vrx->SetLogging(false);

    const TDecoded decoded = Decode(LogFile());
    const std::vector<std::string> briefs = Briefs(decoded);
    const std::vector<std::string> switched = {"opened", "WriteLaunchMode sent 2 answered",
                                               "ApplyLaunchMode sent only", "closed", "opened"};
    EXPECT_NE(std::search(briefs.begin(), briefs.end(), switched.begin(), switched.end()),
              briefs.end())
        << ::testing::PrintToString(briefs);
    EXPECT_EQ(decoded.summary.failures, 0u);
    DeleteVRX(vrx);
}

struct TFaultRow {
    const char* name;
    std::function<void(TEmulatedBus&, TEmulatedUnit&)> fault;
    TOutcome outcome;
    int64_t error;         // Windows error of a failed send or read
    uint32_t transferred;  // bytes a failed send or read reports
    uint32_t emptyReads;
    std::optional<uint32_t> elapsedMs;
};

class FaultLog : public LibraryLog, public ::testing::WithParamInterface<TFaultRow> {};

// One good read of register 21, then the same read with the fault in place;
// logging is switched off right after, so the file ends there.
TEST_P(FaultLog, ShowsTheFailingExchange) {
    const TFaultRow& row = GetParam();
    TEmulatedUnit& unit = bus.AttachUnit(1);
    KLSYS_IVRX* vrx = Create(1);
    uint32_t value = 0;
    ASSERT_EQ(vrx->GetPosition21(&value), 0u);
    row.fault(bus, unit);
    const uint32_t status = vrx->GetPosition21(&value);
    vrx->SetLogging(false);
    EXPECT_EQ(status != 0, IsFailure(row.outcome));

    const TDecoded decoded = Decode(LogFile());
    const std::vector<TLogEntry> exchanges = decoded.Exchanges();
    ASSERT_EQ(exchanges.size(), 2u);
    const TLogEntry& faulty = exchanges[1];
    EXPECT_EQ(faulty.Command(), 21);
    EXPECT_EQ(faulty.outcome, row.outcome) << Brief(faulty);
    EXPECT_EQ(faulty.error, row.error);
    EXPECT_EQ(faulty.transferred, row.transferred);
    EXPECT_EQ(faulty.emptyReads, row.emptyReads);
    EXPECT_EQ(faulty.answerTimed ? std::optional<uint32_t>(faulty.elapsedMs) : std::nullopt,
              row.elapsedMs);
    // Failures stand out in the text, with their Windows error.
    const std::string text = EntryText(faulty);
    EXPECT_EQ(text.substr(0, 2), IsFailure(row.outcome) ? "!!" : "  ") << text;
    if (row.error != 0) {
        EXPECT_NE(text.find("Windows error " + std::to_string(row.error)), std::string::npos)
            << text;
    }

    const TLogSummary& summary = decoded.summary;
    const size_t failures = IsFailure(row.outcome) ? 1 : 0;
    EXPECT_EQ(summary.failures, failures);
    EXPECT_EQ(summary.Count(row.outcome), row.outcome == TOutcome::Answered ? 2u : 1u);
    ASSERT_EQ(summary.commands.size(), 1u);
    EXPECT_EQ(summary.commands[0].failures, failures);
    EXPECT_EQ(summary.commands[0].emptyReads, row.emptyReads);
    // Answer times of the good read (2 ms) and of an answered faulty one.
    const bool answered =
        row.elapsedMs && row.outcome != TOutcome::NoAnswer && row.outcome != TOutcome::ReadFailed;
    const uint32_t other = answered ? *row.elapsedMs : 2;
    ASSERT_TRUE(summary.commands[0].latency);
    EXPECT_EQ(summary.commands[0].latency->min, std::min(2u, other));
    EXPECT_EQ(summary.commands[0].latency->median, std::min(2u, other));  // the lower middle
    EXPECT_EQ(summary.commands[0].latency->max, std::max(2u, other));
    // Every failed send and read has its Windows error, counted.
    std::map<int64_t, size_t> windowsErrors;
    if (row.error != 0)
        windowsErrors[row.error] = 1;
    EXPECT_EQ(summary.windowsErrors, windowsErrors);
    DeleteVRX(vrx);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultLog,
    ::testing::Values(
        // Three empty reads, 6 ms each (1 ms read, 5 ms pause), before the answer.
        TFaultRow{"EmptyReads", [](TEmulatedBus&, TEmulatedUnit& u) { u.QueueEmptyReads(3); },
                  TOutcome::Answered, 0, 0, 3, 20},
        TFaultRow{"NoEcho", [](TEmulatedBus&, TEmulatedUnit& u) { u.SetReplyCode(0x16); },
                  TOutcome::NotEchoed, 0, 0, 0, 2},
        TFaultRow{"Rejected", [](TEmulatedBus&, TEmulatedUnit& u) { u.SetReplyCode(0xFF); },
                  TOutcome::Rejected, 0, 0, 0, 2},
        // Empty reads every 6 ms until more than 3000 ms have passed since the send.
        TFaultRow{"TimeOut", [](TEmulatedBus&, TEmulatedUnit& u) { u.SetSilent(true); },
                  TOutcome::NoAnswer, 0, 0, 501, 3001},
        TFaultRow{"WriteFails", [](TEmulatedBus&, TEmulatedUnit& u) { u.FailWrites(31); },
                  TOutcome::SendFailed, 31, 0, 0, std::nullopt},
        TFaultRow{"WriteFailsPartly", [](TEmulatedBus&, TEmulatedUnit& u) { u.FailWrites(31, 7); },
                  TOutcome::SendFailed, 31, 7, 0, std::nullopt},
        TFaultRow{"NothingWritten",
                  [](TEmulatedBus&, TEmulatedUnit& u) { u.SetWritesZeroBytes(true); },
                  TOutcome::NothingWritten, 0, 0, 0, std::nullopt},
        // A failed read takes no time on the bus.
        TFaultRow{"ReadFails", [](TEmulatedBus&, TEmulatedUnit& u) { u.FailReads(23); },
                  TOutcome::ReadFailed, 23, 0, 0, 1},
        TFaultRow{"Unplugged", [](TEmulatedBus& b, TEmulatedUnit& u) { b.Detach(u); },
                  TOutcome::SendFailed, 1167, 0, 0, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// The same session with the dump flag set: records are held and written at
// the failure, the open and the close, each after a dump header; the
// decoded exchanges are those of the log written at once.
TEST_F(LibraryLog, DumpFlagLogDecodesAsTheImmediateOne) {
    std::vector<std::vector<std::string>> briefs;
    for (uint8_t flag : {0, 1}) {
        SCOPED_TRACE(flag);
        const std::string file = dir.File("VRXHIDLog.log");
        std::remove(file.c_str());
        TEmulatedUnit& unit = bus.AttachUnit(1);
        KLSYS_IVRX* vrx = Create(1, flag);
        ASSERT_EQ(vrx->Open(1, 0), 0u);
        uint32_t value = 0;
        unit.FailWrites(31);
        EXPECT_NE(vrx->GetPosition20(&value), 0u);
        unit.FailWrites(0);
        EXPECT_EQ(vrx->SetPosition21(1), 0u);
        DeleteVRX(vrx);
        bus.Detach(unit);
        const TDecoded decoded = Decode(LogFile());
        briefs.push_back(Briefs(decoded));
        // With the flag, the reopening's close, the open, the failed write
        // and the last close each dump; without it, only the open does.
        EXPECT_EQ(decoded.summary.dumps, flag ? 4u : 1u);
    }
    EXPECT_EQ(briefs[0], briefs[1]);
}

// Sends whose next three records are not their own send outcome, read
// and answer: exchanges that another logger's block split in the file.
size_t SplitExchanges(const TParsedLog& log) {
    size_t split = 0;
    const std::vector<TLogRecord>& records = log.records;
    for (size_t i = 0; i + 3 < records.size(); ++i)
        split += records[i].kind == TRecordKind::SendAttempt &&
                 (records[i + 1].kind != TRecordKind::SendSucceeded ||
                  records[i + 2].kind != TRecordKind::ReadAttempt ||
                  records[i + 3].kind != TRecordKind::ReadSucceeded ||
                  records[i + 3].bytes.at(1) != records[i].bytes.at(1));
    return split;
}

// Two units driven alternately from one thread: each logger's buffer
// reaches the file in blocks of its own, so one unit's records land in the
// middle of the other's exchanges. Every exchange is still put together
// with its own answer. Where the blocks end depends on the lengths of the
// lines and on the stream's buffer size, so the tick count starts at values
// of different lengths and the first unit's reports vary in length. Among
// the splits: a block that ends after a read attempt, followed by the other
// unit's answer to its own earlier read, which is older than that attempt.
TEST_F(LibraryLog, TwoUnitsOnOneThreadInterleaved) {
    constexpr unsigned rounds = 120;
    size_t split = 0;
    for (uint16_t reportLength : {8, 20}) {
        for (uint32_t startTick : {0u, 98765u, 1234567890u, 0xFFFFFF00u}) {
            SCOPED_TRACE(std::to_string(reportLength) + " bytes, tick " +
                         std::to_string(startTick));
            const std::string file = dir.File("VRXHIDLog.log");
            std::remove(file.c_str());
            TEmulatedUnit& first = bus.AttachUnit(1);
            TEmulatedUnit& second = bus.AttachUnit(1);
            first.SetReportLengths(reportLength, reportLength);
            KLSYS_IVRX* a = Create(1);
            KLSYS_IVRX* b = Create(2);
            bus.SetTick(startTick);
            for (unsigned i = 0; i < rounds; ++i) {
                uint32_t value = 0;
                ASSERT_EQ(a->GetPosition21(&value), 0u);
                ASSERT_EQ(b->GetPosition20(&value), 0u);
            }
            a->SetLogging(false);
            b->SetLogging(false);
            DeleteVRX(a);
            DeleteVRX(b);
            bus.Detach(first);
            bus.Detach(second);

            const TDecoded decoded = Decode(LogFile());
            split += SplitExchanges(decoded.log);
            const std::vector<TLogEntry> exchanges = decoded.Exchanges();
            ASSERT_EQ(exchanges.size(), 2 * rounds);
            for (const TLogEntry& exchange : exchanges) {
                EXPECT_EQ(exchange.outcome, TOutcome::Answered) << "line " << exchange.line;
                EXPECT_EQ(exchange.elapsedMs, 2u) << "line " << exchange.line;
            }
        }
    }
    EXPECT_GT(split, 0u) << "the loggers' blocks never split an exchange";
}

}  // namespace
