// The grammar of an emulated bus, as vrxctl's --emulate and the C
// interface's kl_vrx_emulate write it: a comma-separated list of units, each
// a family (1 or 2) with an optional launch mode, e.g. "1,1,2:mode1" (two
// family-1 units and a family-2 unit in launch mode 1). "none" is a bus
// without units.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace KL_VRXEmu {

struct TEmulatedUnitLayout {
    unsigned family;
    unsigned launchMode;  // 2 unless ":modeN" says otherwise
};

// The units of spec, or nothing when spec does not follow the grammar (the
// reason, naming the bad item, then goes to error).
std::optional<std::vector<TEmulatedUnitLayout>> ParseBusLayout(const std::string& spec,
                                                               std::string& error);

}  // namespace KL_VRXEmu
