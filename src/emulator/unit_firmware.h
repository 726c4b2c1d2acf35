// The firmware of one emulated unit: registers, blocks, replies and fault
// switches, with no knowledge of handles or the bus. Time is the bus's
// monotonic millisecond count, so transitions survive a tick-count wrap.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "emulator/report_queue.h"

namespace KL_VRXEmu {
class KL_IReplySource;
}

namespace KL_VRXEmu::Detail {

inline constexpr uint8_t FirstRegister = 18;
inline constexpr uint8_t LastRegister = 24;
inline constexpr size_t RegisterCount = LastRegister - FirstRegister + 1;

struct TUnitFirmware {
    TUnitFirmware(unsigned family, unsigned launchMode);

    // What an output report did to the unit.
    enum class TEffect { None, Reenumerate };

    // Takes one output report that the host wrote: records it, applies its
    // command and queues the reply.
    TEffect Receive(const uint8_t* report, size_t length, uint64_t now);

    // Applies every pending register transition that is due at now.
    void Settle(uint64_t now);

    static bool IsRegister(uint8_t code) { return code >= FirstRegister && code <= LastRegister; }

    // Identity.
    unsigned family;
    unsigned launchMode;
    uint64_t instance = 0;  // the enumeration appearance the unit has now
    std::string path;

    // Registers 18..24 and the writes still on their way to them.
    struct TPending {
        bool active = false;
        uint8_t value = 0;
        uint64_t writtenAt = 0;
    };
    std::array<uint8_t, RegisterCount> registers;
    std::array<TPending, RegisterCount> pending{};
    std::array<uint32_t, RegisterCount> transitionMs{};
    std::array<bool, RegisterCount> stuck{};
    std::map<uint8_t, uint8_t> lastValues;
    std::map<uint8_t, std::vector<uint8_t>> blocks;

    // Link and fault switches.
    uint16_t inputLength = 65;
    uint16_t outputLength = 65;
    bool getCapsFails = false;
    bool ignoresLaunchModeSwitch = false;
    bool silent = false;
    bool writesZeroBytes = false;
    unsigned emptyReads = 0;
    std::optional<uint8_t> replyCode;
    uint32_t writeError = 0;
    uint32_t writeErrorBytes = 0;
    uint32_t readError = 0;
    KL_IReplySource* replySource = nullptr;  // not owned; decides the link when set

    // Forgets the received reports, keeping their storage for the next ones.
    void ClearReceived();

    // Traffic.
    std::vector<std::vector<uint8_t>> received;
    TReportQueue replies;  // sent, not yet handed to the open handles by the bus
    bool launchModeWritten = false;  // code 2 with value 2 was the last command

  private:
    // Storage of received reports that were cleared, reused by the next ones.
    std::vector<std::vector<uint8_t>> spareReceived;

    void QueueReply(uint8_t code, const uint8_t* data, size_t count);
    void Write(uint8_t reg, uint8_t value, uint64_t now);
};

}  // namespace KL_VRXEmu::Detail
