// vrxctl's arguments: options may stand before or after the subcommand and
// its arguments, as in `vrxctl list --json` or `vrxctl --json list`; `--`
// ends the options, so every later argument is a word (a file called
// "--json", say). A word that starts with "-" and a digit is a number (a
// negative host index), not an option.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TCommandLine {
    bool help = false;
    bool version = false;
    bool json = false;
    bool log = false;
    bool logDump = false;
    bool failures = false;  // --failures (log)
    bool emulated = false;
    std::string emulate;  // --emulate SPEC
    std::optional<uint32_t> intervalMs;
    std::vector<std::string> words;  // the subcommand and its arguments
};

// The command line of args (without the program name), or nothing with the
// reason in error.
std::optional<TCommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                             std::string& error);
