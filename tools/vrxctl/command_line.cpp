#include "command_line.h"

#include "decimal.h"

namespace {

// Longest pause between two readings of watch: an hour.
constexpr uint32_t MaxIntervalMs = 3600000;

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9');
}

}  // namespace

std::optional<TCommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                             std::string& error) {
    TCommandLine line;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !IsOption(arg)) {
            line.words.push_back(arg);
            continue;
        }
        // --name=value or --name value, for the options that take a value.
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (name == "--emulate" || name == "--interval") {
            std::string value;
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                error = name + " needs a value";
                return std::nullopt;
            }
            if (name == "--emulate") {
                line.emulated = true;
                line.emulate = value;
                continue;
            }
            const auto ms = ParseUnsigned(value);
            if (!ms || *ms == 0 || *ms > MaxIntervalMs) {
                error = "--interval takes milliseconds from 1 to " + std::to_string(MaxIntervalMs);
                return std::nullopt;
            }
            line.intervalMs = *ms;
            continue;
        }
        if (equals != std::string::npos) {
            error = "option " + name + " takes no value";
            return std::nullopt;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else if (arg == "--json") {
            line.json = true;
        } else if (arg == "--log") {
            line.log = true;
        } else if (arg == "--log-dump") {
            line.logDump = true;
        } else if (arg == "--failures") {
            line.failures = true;
        } else {
            error = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (line.intervalMs && !line.words.empty() && line.words[0] != "watch" &&
        line.words[0] != "shell") {
        error = "--interval is an option of watch (and of shell, for its watch lines)";
        return std::nullopt;
    }
    return line;
}
