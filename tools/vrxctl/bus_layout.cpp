#include "bus_layout.h"

#include <sstream>

namespace {

bool ParseUnsigned(const std::string& text, unsigned& value) {
    if (text.empty() || text.size() > 9)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
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
        const std::string family = item.substr(0, colon);
        if (!ParseUnsigned(family, unit.family) || (unit.family != 1 && unit.family != 2)) {
            error = "unit \"" + item + "\": the family must be 1 or 2";
            return std::nullopt;
        }
        if (colon != std::string::npos) {
            const std::string mode = item.substr(colon + 1);
            if (mode.rfind("mode", 0) != 0 || !ParseUnsigned(mode.substr(4), unit.launchMode)) {
                error = "unit \"" + item + "\": the launch mode is written mode<N>, e.g. 1:mode1";
                return std::nullopt;
            }
        }
        units.push_back(unit);
    }
    if (units.empty() || spec.back() == ',') {
        error = "--emulate needs a list of units such as 1,1,2:mode1 (or none)";
        return std::nullopt;
    }
    return units;
}
