#include "emulator/bus_layout.h"

#include <sstream>

namespace KL_VRXEmu {

namespace {

// A decimal number of digits only, up to 9 of them.
std::optional<unsigned> ParseNumber(const std::string& text) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    unsigned number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    return number;
}

}  // namespace

std::optional<std::vector<TEmulatedUnitLayout>> ParseBusLayout(const std::string& spec,
                                                               std::string& error) {
    std::vector<TEmulatedUnitLayout> units;
    if (spec == "none")
        return units;
    std::stringstream items(spec);
    std::string item;
    while (std::getline(items, item, ',')) {
        TEmulatedUnitLayout unit{0, 2};
        const auto colon = item.find(':');
        const auto family = ParseNumber(item.substr(0, colon));
        if (!family || (*family != 1 && *family != 2)) {
            error = "unit \"" + item + "\": the family must be 1 or 2";
            return std::nullopt;
        }
        unit.family = *family;
        if (colon != std::string::npos) {
            const std::string mode = item.substr(colon + 1);
            const auto launchMode =
                mode.rfind("mode", 0) == 0 ? ParseNumber(mode.substr(4)) : std::nullopt;
            if (!launchMode) {
                error = "unit \"" + item + "\": the launch mode is written mode<N>, e.g. 1:mode1";
                return std::nullopt;
            }
            unit.launchMode = *launchMode;
        }
        units.push_back(unit);
    }
    if (units.empty() || spec.back() == ',') {
        error = "\"" + spec + "\": a list of units is needed, such as 1,1,2:mode1 (or none)";
        return std::nullopt;
    }
    return units;
}

}  // namespace KL_VRXEmu
