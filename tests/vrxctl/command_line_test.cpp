// vrxctl's command line: options before, between or after the words, values
// as "--name value" or "--name=value", "--" ending the options, negative
// numbers as words, and the reasons for refusing a command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"

namespace {

struct TCommandLineRow {
    const char* name;
    std::vector<std::string> args;
    // What the parse gives, as "words|json|emulate|interval", or the error.
    std::string expected;
};

std::string Summary(const std::vector<std::string>& args) {
    std::string error;
    const auto line = ParseCommandLine(args, error);
    if (!line)
        return "error: " + error;
    std::string words;
    for (const std::string& word : line->words)
        words += (words.empty() ? "" : " ") + word;
    return words + "|" + (line->json ? "json" : "") + "|" +
           (line->emulated ? "emulate " + line->emulate : "") + "|" +
           (line->intervalMs ? std::to_string(*line->intervalMs) : "");
}

class CommandLine : public ::testing::TestWithParam<TCommandLineRow> {};

TEST_P(CommandLine, Parses) {
    EXPECT_EQ(Summary(GetParam().args), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandLine,
    ::testing::Values(
        TCommandLineRow{
            "EmulateBetween", {"show", "--emulate", "1,2", "1"}, "show 1||emulate 1,2|"},
        TCommandLineRow{"NegativeIndex", {"show", "-1", "--json"}, "show -1|json||"},
        TCommandLineRow{"DoubleDash", {"log", "--", "--json", "-x"}, "log --json -x|||"},
        TCommandLineRow{"IntervalForWatch", {"watch", "1", "--interval", "50"}, "watch 1|||50"},
        TCommandLineRow{"IntervalForShell", {"--interval=3600000", "shell"}, "shell|||3600000"},
        TCommandLineRow{"IntervalZero",
                        {"watch", "1", "--interval", "0"},
                        "error: --interval takes milliseconds from 1 to 3600000"},
        TCommandLineRow{"IntervalTooLong",
                        {"watch", "1", "--interval=3600001"},
                        "error: --interval takes milliseconds from 1 to 3600000"},
        TCommandLineRow{"IntervalForList",
                        {"list", "--interval", "10"},
                        "error: --interval is an option of watch (and of shell, for its watch "
                        "lines)"},
        TCommandLineRow{"ValueMissing", {"list", "--emulate"}, "error: --emulate needs a value"},
        TCommandLineRow{
            "ValueOnFlag", {"--json=yes", "list"}, "error: option --json takes no value"},
        TCommandLineRow{"Unknown", {"list", "--jsn"}, "error: unknown option --jsn"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
