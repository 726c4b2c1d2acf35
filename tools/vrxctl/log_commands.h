// The unit's command codes as the traffic-log decoder names them: the
// catalogue's names, what kind of message each code is, and how many data
// bytes a block read brings back.
#pragma once

#include <cstdint>
#include <string>

namespace VrxctlLog {

enum class TCommandKind : uint8_t {
    Unknown,   // a code the library never sends
    Register,  // read: the value comes back in reply byte 2
    Block,     // read: data bytes from reply byte 2 on
    Write,     // carries a value in message byte 2, confirmed by its echo
    Bare,      // sent without a value, and its answer is never read
};

struct TCommandInfo {
    const char* name;  // null for an unknown code
    TCommandKind kind;
    uint8_t blockBytes;  // Block only
};

TCommandInfo CommandInfo(uint8_t code);

// "SetPosition21 (36)", or "code 77 (unknown)".
std::string CommandLabel(uint8_t code);

// The shortest time the library waits for a reply before it gives up
// (3000 ms for most transactions, 25000 ms for some): an exchange whose
// empty reads went on for longer timed out.
inline constexpr uint32_t ShortestReplyTimeoutMs = 3000;

}  // namespace VrxctlLog
