#include "umockdev/fake_unit.h"

namespace KL_VRXTest {

using KL_VRXEmu::Detail::TUnitFirmware;

namespace {

// Family 1 talks in 64-byte reports, family 2 in 32-byte ones, so the
// lengths the library uses must come from each unit's own descriptor.
constexpr uint16_t ReportLength(unsigned family) {
    return family == 2 ? 33 : 65;
}

}  // namespace

TFakeUnit::TFakeUnit(std::mutex& lock, const TVirtualClock& clock, unsigned family,
                     unsigned launchMode)
    : lock(lock), clock(clock), firmware(family, launchMode) {
    firmware.inputLength = ReportLength(family);
    firmware.outputLength = ReportLength(family);
}

unsigned TFakeUnit::Family() const {
    std::lock_guard<std::mutex> guard(lock);
    return firmware.family;
}

unsigned TFakeUnit::LaunchMode() const {
    std::lock_guard<std::mutex> guard(lock);
    return firmware.launchMode;
}

unsigned TFakeUnit::Node() const {
    std::lock_guard<std::mutex> guard(lock);
    return node;
}

bool TFakeUnit::Present() const {
    std::lock_guard<std::mutex> guard(lock);
    return present;
}

uint16_t TFakeUnit::OutputLength() const {
    std::lock_guard<std::mutex> guard(lock);
    return firmware.outputLength;
}

uint8_t TFakeUnit::Register(uint8_t code) const {
    std::lock_guard<std::mutex> guard(lock);
    if (!TUnitFirmware::IsRegister(code))
        return 0;
    firmware.Settle(clock.Now());
    return firmware.registers[code - KL_VRXEmu::Detail::FirstRegister];
}

uint8_t TFakeUnit::LastValue(uint8_t code) const {
    std::lock_guard<std::mutex> guard(lock);
    const auto found = firmware.lastValues.find(code);
    return found == firmware.lastValues.end() ? 0 : found->second;
}

void TFakeUnit::SetTransitionTime(uint8_t reg, uint32_t ms) {
    std::lock_guard<std::mutex> guard(lock);
    if (TUnitFirmware::IsRegister(reg))
        firmware.transitionMs[reg - KL_VRXEmu::Detail::FirstRegister] = ms;
}

void TFakeUnit::SetStuck(uint8_t reg, bool stuck) {
    std::lock_guard<std::mutex> guard(lock);
    if (TUnitFirmware::IsRegister(reg))
        firmware.stuck[reg - KL_VRXEmu::Detail::FirstRegister] = stuck;
}

void TFakeUnit::SetReplyCode(std::optional<uint8_t> code) {
    std::lock_guard<std::mutex> guard(lock);
    firmware.replyCode = code;
}

void TFakeUnit::SetIgnoresLaunchModeSwitch(bool ignores) {
    std::lock_guard<std::mutex> guard(lock);
    firmware.ignoresLaunchModeSwitch = ignores;
}

void TFakeUnit::SetSilent(bool on) {
    std::lock_guard<std::mutex> guard(lock);
    silent = on;
}

void TFakeUnit::UnplugOn(uint8_t code, TUnplug moment) {
    std::lock_guard<std::mutex> guard(lock);
    unplugOn = TUnplugTrigger{code, moment};
}

std::vector<std::vector<uint8_t>> TFakeUnit::Received() const {
    std::lock_guard<std::mutex> guard(lock);
    return firmware.received;
}

void TFakeUnit::ClearReceived() {
    std::lock_guard<std::mutex> guard(lock);
    firmware.received.clear();
}

unsigned TFakeUnit::Opens() const {
    std::lock_guard<std::mutex> guard(lock);
    return opens;
}

TFakeUnit::TOutcome TFakeUnit::TakeLocked(const uint8_t* report, size_t length) {
    if (unplugOn && length > 1 && report[1] == unplugOn->code) {
        const TUnplug moment = unplugOn->moment;
        unplugOn.reset();
        if (moment == TUnplug::AsWritten)
            return TOutcome::UnpluggedUntaken;
        firmware.Receive(report, length, clock.Now());
        firmware.replies.clear();
        return TOutcome::UnpluggedAfterTaking;
    }
    const auto effect = firmware.Receive(report, length, clock.Now());
    if (silent)
        firmware.replies.clear();
    return effect == TUnitFirmware::TEffect::Reenumerate ? TOutcome::Reset : TOutcome::Taken;
}

bool TFakeUnit::HasReportLocked() const {
    return !firmware.replies.empty();
}

std::vector<uint8_t> TFakeUnit::NextReportLocked() {
    std::vector<uint8_t> report = std::move(firmware.replies.front());
    firmware.replies.pop_front();
    return report;
}

// A new open of a hidraw node starts with an empty report queue.
void TFakeUnit::NewOpenLocked() {
    ++opens;
    firmware.replies.clear();
}

// The unit's own identity, independent of what the library looks for.
uint16_t TFakeUnit::ProductIdLocked() const {
    const bool first = firmware.launchMode == 2;
    if (firmware.family == 2)
        return first ? 0x0E58 : 0x0E57;
    return first ? 0x0E32 : 0x0E31;
}

}  // namespace KL_VRXTest
