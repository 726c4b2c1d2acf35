// `vrxctl watch INDEX [ELEMENT...]`: reads the unit's elements every
// interval and prints a line whenever one changes, until Ctrl-C or SIGTERM.
#include <iostream>
#include <memory>

#include "elements.h"
#include "output.h"
#include "session.h"
#include "stop_signals.h"
#include "watch_clock.h"

using KL_VRXSDK::KLSYS_IVRX;

namespace {

// The controller's status when the unit reports a position outside the
// mapping: the value reads as 99999, and watching goes on.
constexpr uint32_t PositionOutOfRange = 11;

}  // namespace

int TSession::Watch(int32_t hostIndex, const std::vector<std::string>& names) {
    std::vector<const TElement*> elements;
    for (const std::string& name : names) {
        const TElement* element = FindElement(name);
        if (element == nullptr)
            return UsageError("unknown element \"" + name + "\"");
        if (element->get == nullptr)
            return UsageError(name + " can only be set");
        elements.push_back(element);
    }
    // Installed before the unit is opened, which may take seconds.
    TStopSignals stop;
    std::unique_ptr<TWatchClock> wallClock;
    TWatchClock* clock = options.watchClock;
    if (clock == nullptr) {
        wallClock = MakeWallClock();
        clock = wallClock.get();
    }
    int exitCode = ExitOk;
    KLSYS_IVRX* vrx = Controller(hostIndex, exitCode);
    if (vrx == nullptr)
        return exitCode;
    if (elements.empty()) {
        uint32_t family = 0;
        vrx->GetModelFamily(&family);
        for (const TElement* element = Elements(); element->name != nullptr; ++element)
            if (ReadsOnFamily(*element, family))
                elements.push_back(element);
    }

    std::vector<uint32_t> last(elements.size());
    for (bool first = true; !TStopSignals::Requested(); first = false) {
        const std::string now = clock->Now();
        TRecord json;
        std::string text;
        json.Text("time", now).Number("hostIndex", hostIndex);
        for (size_t i = 0; i < elements.size(); ++i) {
            uint32_t value = 0;
            const uint32_t status = (vrx->*elements[i]->get)(&value);
            if (status != 0 && status != PositionOutOfRange) {
                exitCode = Failed(std::string("reading ") + elements[i]->name, status, vrx);
                Delete(hostIndex);
                return exitCode;
            }
            if (!first && value == last[i])
                continue;
            json.Number(elements[i]->name, value);
            text += std::string("  ") + elements[i]->name + " " +
                    (first ? "" : std::to_string(last[i]) + " -> ") + std::to_string(value);
            last[i] = value;
        }
        if (!text.empty())
            std::cout << (options.json ? json.Json() : now + text) << std::endl;
        if (TStopSignals::Requested())
            break;
        clock->Wait(options.watchIntervalMs);
    }
    // Parks and closes a real unit.
    Delete(hostIndex);
    return ExitOk;
}
