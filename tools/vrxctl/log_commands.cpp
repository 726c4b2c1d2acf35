#include "log_commands.h"

namespace VrxctlLog {

TCommandInfo CommandInfo(uint8_t code) {
    static const char* const registers[] = {"State18",    "Position19", "Position20", "Position21",
                                            "Position22", "Position23", "Position24"};
    static const char* const writes[] = {"SetState18",    "SetPosition19", "SetPosition20",
                                         "SetPosition21", "SetPosition22", "SetPosition23",
                                         "SetPosition24"};
    if (code >= 18 && code <= 24)
        return {registers[code - 18], TCommandKind::Register, 0};
    if (code >= 33 && code <= 39)
        return {writes[code - 33], TCommandKind::Write, 0};
    switch (code) {
        case 0:
            return {"ReadDeviceInfo", TCommandKind::Block, 3};
        case 25:
            return {"ReadDeviceNumber", TCommandKind::Block, 4};
        case 2:
            return {"WriteLaunchMode", TCommandKind::Write, 0};
        case 15:
            return {"ApplyLaunchMode", TCommandKind::Bare, 0};
        case 224:
            return {"SetState224", TCommandKind::Write, 0};
        default:
            return {nullptr, TCommandKind::Unknown, 0};
    }
}

std::string CommandLabel(uint8_t code) {
    const TCommandInfo info = CommandInfo(code);
    if (info.name == nullptr)
        return "code " + std::to_string(code) + " (unknown)";
    return std::string(info.name) + " (" + std::to_string(code) + ")";
}

}  // namespace VrxctlLog
