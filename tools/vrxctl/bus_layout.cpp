#include "bus_layout.h"

#include <sstream>

#include "decimal.h"

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
        const auto familyNumber = ParseUnsigned(family);
        if (!familyNumber || (*familyNumber != 1 && *familyNumber != 2)) {
            error = "unit \"" + item + "\": the family must be 1 or 2";
            return std::nullopt;
        }
        unit.family = *familyNumber;
        if (colon != std::string::npos) {
            const std::string mode = item.substr(colon + 1);
            const auto launchMode =
                mode.rfind("mode", 0) == 0 ? ParseUnsigned(mode.substr(4)) : std::nullopt;
            if (!launchMode) {
                error = "unit \"" + item + "\": the launch mode is written mode<N>, e.g. 1:mode1";
                return std::nullopt;
            }
            unit.launchMode = *launchMode;
        }
        units.push_back(unit);
    }
    if (units.empty() || spec.back() == ',') {
        error = "--emulate needs a list of units such as 1,1,2:mode1 (or none)";
        return std::nullopt;
    }
    return units;
}
