// The decoder on logs as they come back from the field: line breaks changed
// to LF, a file cut off inside a line, lines that are not the library's,
// records lost before a dump, and files that are not traffic logs at all.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "library_log.h"
#include "log_decoder.h"
#include "log_report.h"

using namespace VrxctlLog;
using namespace KL_VRXTest;

namespace {

// The text's lines (without their CR LF), and lines joined with a line break.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line.empty() || line.back() != '\r' ? line
                                                            : line.substr(0, line.size() - 1));
    return lines;
}

std::string Join(const std::vector<std::string>& lines, const char* lineBreak = "\r\n") {
    std::string text;
    for (const std::string& line : lines)
        text += line + lineBreak;
    return text;
}

class DamagedLog : public LibraryLog {
  protected:
    void SetUp() override {
        // Two reads of register 21, a move and the deletion.
        bus.AttachUnit(1);
        KL_VRXSDK::KLSYS_IVRX* vrx = Create(1);
        uint32_t value = 0;
        EXPECT_EQ(vrx->GetPosition21(&value), 0u);
        EXPECT_EQ(vrx->SetPosition21(2), 0u);
        EXPECT_EQ(vrx->GetPosition21(&value), 0u);
        DeleteVRX(vrx);
        original = LogFile();
        reference = Decode(original);
        ASSERT_EQ(reference.summary.exchanges, 9u);
    }

    std::string original;
    TDecoded reference;
};

// Cut anywhere inside the last record (the answer to the park's last poll)
// or its line break: that line is shown as cut off, the exchange it
// belonged to is incomplete, and everything before decodes as it did.
TEST_F(DamagedLog, CutOffInsideTheLastLine) {
    // The file without its last line, "***Device Closed.".
    std::string whole = original;
    whole.resize(whole.rfind('\n', whole.size() - 2) + 1);
    const size_t lastLine = whole.rfind('\n', whole.size() - 2) + 1;
    ASSERT_NE(whole.find("Read succeeded", lastLine), std::string::npos);
    std::vector<std::string> expected = Briefs(reference);
    expected.pop_back();  // closed
    expected.back() = "State18 incomplete";
    for (size_t cut = lastLine + 1; cut < whole.size(); ++cut) {
        SCOPED_TRACE(whole.substr(lastLine, cut - lastLine));
        const TDecoded decoded = Decode(whole.substr(0, cut));
        ASSERT_EQ(decoded.log.unparsed.size(), 1u);
        EXPECT_TRUE(decoded.log.unparsed[0].cutOff);
        std::vector<std::string> briefs = Briefs(decoded);
        briefs.pop_back();  // the cut-off line
        EXPECT_EQ(briefs, expected);
    }
}

// Lines that are not the library's, put among the records of one exchange
// and elsewhere, in a file whose line breaks were changed to LF: each is
// shown with its line number and the exchanges decode as before.
TEST_F(DamagedLog, GarbageLinesAreCountedWithTheirNumbers) {
    std::vector<std::string> lines = Lines(original);
    const std::vector<std::string> garbage = {
        "garbage",
        std::string("\x01\xFF\x00 binary", 10),
        "1234 : Time: 99   Attempting to send to device: 00 2G ",
        "1234 : Time: 99      Read succeeded. Bytes read by device: 3 Buffer: 00 15-00 ",
        " Logger Class Created: yesterday",
        "99999999999 : Time: 5  ***Device Closed.",
        "1234 : Time: 2147483648  ***Device Closed.",
        "1234 : Time: 5 ***Device Closed.",
    };
    std::vector<size_t> at;
    size_t insertAt = 6;  // after the first exchange's send
    for (const std::string& line : garbage) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
        at.push_back(insertAt + 1);
        insertAt += 3;
    }
    const TDecoded decoded = Decode(Join(lines, "\n"));
    EXPECT_EQ(decoded.summary.unparsedLines, at);
    std::vector<std::string> briefs;
    for (const std::string& brief : Briefs(decoded))
        if (brief.rfind("unparsed", 0) != 0)
            briefs.push_back(brief);
    EXPECT_EQ(briefs, Briefs(reference));
    for (const TLogEntry& entry : decoded.entries)
        EXPECT_EQ(EntryText(entry).substr(0, 2) == "??", entry.kind == TEntryKind::Unparsed);
}

// With the dump flag, the records before the last chunk rotation never
// reach the file: the log may begin inside an exchange.
TEST_F(DamagedLog, ExchangeWhoseSendIsNotInTheLog) {
    std::vector<std::string> lines = Lines(original);
    size_t firstSendOutcome = 0;
    while (lines.at(firstSendOutcome).find("Send succeeded") == std::string::npos)
        ++firstSendOutcome;
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(firstSendOutcome));
    const TDecoded decoded = Decode(Join(lines));
    std::vector<std::string> expected = Briefs(reference);
    expected.front() = "? partial";
    EXPECT_EQ(Briefs(decoded), expected);
    ASSERT_FALSE(decoded.summary.commands.empty());
    EXPECT_FALSE(decoded.summary.commands.back().code.has_value());
    EXPECT_EQ(decoded.summary.commands.back().exchanges, 1u);
    EXPECT_EQ(decoded.summary.failures, 0u);
}

struct TNotALogRow {
    const char* name;
    std::string text;
    bool isLog;
};

class NotALog : public ::testing::TestWithParam<TNotALogRow> {};

TEST_P(NotALog, IsRefusedWithAReason) {
    std::ostringstream out, err;
    const bool decoded = PrintDecodedLog(GetParam().text, "FILE", {}, out, err);
    EXPECT_EQ(decoded, GetParam().isLog);
    if (!GetParam().isLog) {
        EXPECT_EQ(err.str().rfind("vrxctl: FILE is not a traffic log: ", 0), 0u) << err.str();
        EXPECT_EQ(out.str(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, NotALog,
    ::testing::Values(TNotALogRow{"Empty", "", false},
                      TNotALogRow{"BlankLines", "\r\n\n\r\n", false},
                      TNotALogRow{"CutOffRecord", "1 : Time: 5  ***Device Closed.", false},
                      TNotALogRow{"OneHeader",
                                  "\n\n\n Logger Class Created: 2024-01-02 03-04-05\n\n", true},
                      TNotALogRow{"OneRecord", "1 : Time: -5  ***Device Closed.\n", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
