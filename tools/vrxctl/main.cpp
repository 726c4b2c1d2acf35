// vrxctl: a command-line host for KL_VRX units, real or emulated.
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "KL_VRX/emulator.h"
#include "command_line.h"
#include "elements.h"
#include "emulator/bus_layout.h"
#include "session.h"

namespace {

const char* const HelpText = R"(usage: vrxctl [OPTIONS] SUBCOMMAND [ARGUMENTS] [OPTIONS]

Controls VRX units through the KL_VRX library. Host index 0 is always the
simulated unit; 1..N1 are family-1 units and N1+1.. family-2 units.

subcommands:
  list                      the unit count, and the family and index within the
                            family of every host index
  show INDEX                everything readable: model family, position count,
                            every element's position, device information and
                            device number
  get INDEX ELEMENT         one element's position (API value)
  set INDEX ELEMENT VALUE   moves an element (API value) and waits until the
                            unit reports it
  park INDEX                parks the unit (state 18 back to 127) and closes it
  watch INDEX [ELEMENT...]  reads the elements (all readable ones by default)
                            every --interval and prints a line with the time
                            whenever one changes; Ctrl-C or SIGTERM ends it,
                            parking and closing the unit (exit code 0)
  log FILE                  decodes a traffic log (VRXHIDLog.log): one line per
                            exchange (line, tick, thread, command, value, echo,
                            time from send to answer, empty reads), devices
                            opened and closed, then a summary per command.
                            Marks: !! a failure, ?? a line that cannot be
                            parsed or an exchange not all in the log. Block
                            data is shown in hexadecimal, as the log has it
  shell                     reads subcommands from standard input, one a line,
                            against the same library state and open units
                            ('#' starts a comment; quit or end of input ends)

elements:
)";

const char* const HelpTail = R"(
options:
  --emulate SPEC   run against emulated units instead of the OS (real clock,
                   1 ms per report). SPEC lists the units: FAMILY[:modeN],...
                   e.g. 1,1,2:mode1 is two family-1 units and a family-2 unit
                   in launch mode 1 (switched to launch mode 2, 5 s each, when
                   a controller of its family counts); none is no unit.
                   Emulated state lasts for one vrxctl invocation.
  --log            switch the traffic log on (C:\VRXHIDLog.log: VRXHIDLog.log in
                   the current directory outside Windows)
  --log-dump       hold log records in memory until a failure, open or close
  --json           machine-readable output: one JSON object per result (log:
                   per entry, then one for the summary)
  --interval MS    watch: milliseconds between two readings (default 200)
  --version        the version of vrxctl and of the library
  -h, --help       this text
  --               ends the options: every later argument is a word
Options may stand before or after the subcommand.

exit codes:
  0 success   1 a unit operation failed   2 bad arguments, or not a traffic log
  3 the unit count failed   4 the unit for the host index could not be opened
Failures print the library's status and text on stderr.
)";

void PrintHelp() {
    std::cout << HelpText;
    for (const TElement* element = Elements(); element->name != nullptr; ++element)
        std::cout << "  " << element->name
                  << std::string(20 - std::string(element->name).size(), ' ') << element->what
                  << "\n";
    std::cout << HelpTail;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line.substr(0, line.find('#')));
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

int Shell(TSession& session) {
    int exitCode = 0;
    for (std::string line; std::getline(std::cin, line);) {
        const auto words = Words(line);
        if (words.empty())
            continue;
        if (words[0] == "quit" || words[0] == "exit")
            break;
        if (words[0] == "help") {
            PrintHelp();
            continue;
        }
        const int code = session.Run(words);
        if (code != 0)
            exitCode = code;
    }
    return exitCode;
}

// The launch-mode note for emulated units: how many units of the host
// index's family will be switched (5 s each) before its controller counts.
std::string EmulatedOpenNote(const std::vector<KL_VRXEmu::TEmulatedUnit*>& units,
                             int32_t hostIndex) {
    int32_t family1 = 0;
    for (const auto* unit : units)
        family1 += unit->Family() == 1 ? 1 : 0;
    const unsigned family = hostIndex >= 1 && hostIndex <= family1 ? 1 : 2;
    unsigned switching = 0;
    for (const auto* unit : units)
        switching += unit->Family() == family && unit->LaunchMode() != 2 ? 1 : 0;
    if (switching == 0)
        return "";
    return "switching " + std::to_string(switching) + " family-" + std::to_string(family) +
           " unit(s) to launch mode 2 first (5 s each, " + std::to_string(5 * switching) +
           " s at most)";
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!line)
        return UsageError(error);
    if (line->help) {
        PrintHelp();
        return 0;
    }
    if (line->version) {
        std::cout << "vrxctl (KL_VRX) " << VRXCTL_VERSION << "\n";
        return 0;
    }
    if (line->words.empty())
        return UsageError("no subcommand");
    const std::vector<std::string>& words = line->words;
    TSessionOptions options;
    options.json = line->json;
    options.log = line->log;
    options.logDump = line->logDump;
    if (line->intervalMs)
        options.watchIntervalMs = *line->intervalMs;
    const bool emulated = line->emulated;
    const std::string& emulate = line->emulate;

    std::unique_ptr<KL_VRXEmu::TEmulatedBus> bus;
    std::vector<KL_VRXEmu::TEmulatedUnit*> units;
    if (emulated) {
        const auto spec = KL_VRXEmu::ParseBusLayout(emulate, error);
        if (!spec) {
            return UsageError("--emulate " + error);
        }
        bus = std::make_unique<KL_VRXEmu::TEmulatedBus>(KL_VRXEmu::TClock::Real);
        bus->SetReportLatency(1);
        for (const auto& unit : *spec)
            units.push_back(&bus->AttachUnit(unit.family, unit.launchMode));
        options.openNote = [&units](int32_t hostIndex) {
            return EmulatedOpenNote(units, hostIndex);
        };
    } else {
        options.openNote = [](int32_t hostIndex) -> std::string {
            if (hostIndex <= 0)
                return "";
            return "opening host index " + std::to_string(hostIndex) +
                   ": units still in the other launch mode are switched first (5 s each)";
        };
    }

    int exitCode = 0;
    {
        // The session (and its controllers) ends before the bus does.
        TSession session(options);
        exitCode = words[0] == "shell" && words.size() == 1 ? Shell(session) : session.Run(words);
    }
    return exitCode;
}
