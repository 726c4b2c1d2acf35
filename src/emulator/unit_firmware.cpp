#include "emulator/unit_firmware.h"

#include <algorithm>

namespace KL_VRXEmu::Detail {

namespace {

constexpr uint8_t CodeDeviceInfo = 0;
constexpr uint8_t CodeLaunchMode = 2;
constexpr uint8_t CodeApplyLaunchMode = 15;
constexpr uint8_t CodeDeviceNumber = 25;
constexpr uint8_t FirstRegisterWrite = 33;
constexpr uint8_t LastRegisterWrite = 39;
constexpr uint8_t CodeState224 = 224;
constexpr uint8_t Rejected = 0xFF;
constexpr uint8_t RegisterWriteOffset = FirstRegisterWrite - FirstRegister;

}  // namespace

TUnitFirmware::TUnitFirmware(unsigned family, unsigned launchMode)
    : family(family), launchMode(launchMode), registers{127, 1, 1, 1, 2, 2, 2} {
    blocks[CodeDeviceInfo] = {1, 2, 3};
    blocks[CodeDeviceNumber] = {0x78, 0x56, 0x34, 0x12};
}

void TUnitFirmware::Settle(uint64_t now) {
    for (size_t i = 0; i < RegisterCount; ++i) {
        TPending& p = pending[i];
        if (p.active && now - p.writtenAt >= transitionMs[i]) {
            registers[i] = p.value;
            p.active = false;
        }
    }
}

void TUnitFirmware::Write(uint8_t reg, uint8_t value, uint64_t now) {
    const size_t i = reg - FirstRegister;
    if (stuck[i])
        return;
    if (transitionMs[i] == 0) {
        registers[i] = value;
        pending[i].active = false;
        return;
    }
    pending[i] = TPending{true, value, now};
}

// Every reply is one full input report: report ID 0, the echo, the data,
// zero padding; cut at the input length when that is shorter.
void TUnitFirmware::QueueReply(uint8_t code, const uint8_t* data, size_t count) {
    std::vector<uint8_t>& reply = replies.emplace_back(inputLength);
    if (reply.size() > 1)
        reply[1] = replyCode.value_or(code);
    for (size_t i = 0; i < count && 2 + i < reply.size(); ++i)
        reply[2 + i] = data[i];
}

void TUnitFirmware::ClearReceived() {
    for (std::vector<uint8_t>& report : received)
        spareReceived.push_back(std::move(report));
    received.clear();
}

TUnitFirmware::TEffect TUnitFirmware::Receive(const uint8_t* report, size_t length, uint64_t now) {
    if (spareReceived.empty()) {
        received.emplace_back(report, report + length);
    } else {
        received.push_back(std::move(spareReceived.back()));
        spareReceived.pop_back();
        received.back().assign(report, report + length);
    }
    Settle(now);
    if (length < 2)
        return TEffect::None;  // no command byte
    const uint8_t code = report[1];
    const uint8_t value = length > 2 ? report[2] : 0;

    const bool switchRequested = launchModeWritten && code == CodeApplyLaunchMode;
    launchModeWritten = code == CodeLaunchMode && value == 2;

    if (code == CodeApplyLaunchMode) {
        // No reply: the unit resets into the written launch mode.
        if (!switchRequested || launchMode == 2 || ignoresLaunchModeSwitch)
            return TEffect::None;
        launchMode = 2;
        replies.clear();
        return TEffect::Reenumerate;
    }
    if (IsRegister(code)) {
        const uint8_t v = registers[code - FirstRegister];
        QueueReply(code, &v, 1);
    } else if (code >= FirstRegisterWrite && code <= LastRegisterWrite) {
        Write(static_cast<uint8_t>(code - RegisterWriteOffset), value, now);
        QueueReply(code, &value, 1);
    } else if (code == CodeState224 || code == CodeLaunchMode) {
        lastValues[code] = value;
        QueueReply(code, &value, 1);
    } else if (code == CodeDeviceInfo || code == CodeDeviceNumber) {
        const std::vector<uint8_t>& block = blocks[code];
        QueueReply(code, block.data(), block.size());
    } else {
        QueueReply(Rejected, nullptr, 0);
    }
    return TEffect::None;
}

}  // namespace KL_VRXEmu::Detail
