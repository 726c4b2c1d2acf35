// TEmulatedBus and TEmulatedUnit: the public face of the emulator. Every
// member forwards to the bus core under its lock.
#include <atomic>
#include <stdexcept>

#include "emulator/bus_core.h"
#include "state/library_state.h"

namespace KL_VRXEmu {

using Detail::TBusCore;
using Detail::TUnitFirmware;

namespace {

std::atomic<TBusCore*> liveCore{nullptr};

}  // namespace

Detail::TBusCore* Detail::ActiveCore() {
    return liveCore.load(std::memory_order_acquire);
}

// ---- TEmulatedBus --------------------------------------------------------------------------

TEmulatedBus::TEmulatedBus(TClock clock) : core(std::make_unique<TBusCore>(clock)) {
    TBusCore* expected = nullptr;
    if (!liveCore.compare_exchange_strong(expected, core.get()))
        throw std::logic_error("KL_VRXEmu: only one TEmulatedBus may exist at a time");
    // The library starts afresh, as if just loaded; its old binding is
    // released through the OS that made it.
    KL_VRXState::ResetLibraryState();
    KL_VRXOS::SetActiveOs(core.get());
}

TEmulatedBus::~TEmulatedBus() {
    // Unbind through the bus, so no binding outlives it.
    KL_VRXState::ResetLibraryState();
    KL_VRXOS::SetActiveOs(nullptr);
    liveCore.store(nullptr, std::memory_order_release);
}

TEmulatedUnit& TEmulatedBus::AttachUnit(unsigned family, unsigned launchMode) {
    return core->AttachUnit(family, launchMode);
}

void TEmulatedBus::Detach(TEmulatedUnit& unit) {
    core->Detach(unit);
}

void TEmulatedBus::AttachForeign(uint16_t vendorId, uint16_t productId) {
    core->AttachForeign(vendorId, productId);
}

std::vector<std::string> TEmulatedBus::InterfacePaths() const {
    return core->InterfacePaths();
}

void TEmulatedBus::SetHidLibraryLoads(bool loads) {
    std::lock_guard<std::mutex> lock(core->mutex);
    core->hidLibraryLoads = loads;
}

void TEmulatedBus::SetEntryPointPresent(const std::string& name, bool present) {
    std::lock_guard<std::mutex> lock(core->mutex);
    core->entryPointPresent[name] = present;
}

void TEmulatedBus::SetClassDevsError(uint32_t error, unsigned afterCalls) {
    std::lock_guard<std::mutex> lock(core->mutex);
    core->classDevsError = error;
    core->classDevsAllowed = afterCalls;
}

void TEmulatedBus::SetEnumerationError(uint32_t error) {
    std::lock_guard<std::mutex> lock(core->mutex);
    core->enumerationError = error;
}

void TEmulatedBus::SetDetailError(size_t interfaceIndex, uint32_t error) {
    std::lock_guard<std::mutex> lock(core->mutex);
    if (error == 0)
        core->detailErrors.erase(interfaceIndex);
    else
        core->detailErrors[interfaceIndex] = error;
}

uint32_t TEmulatedBus::Tick() const {
    return core->Tick();
}

void TEmulatedBus::SetTick(uint32_t tick) {
    core->SetTick(tick);
}

void TEmulatedBus::SetReportLatency(uint32_t ms) {
    std::lock_guard<std::mutex> lock(core->mutex);
    core->reportLatency = ms;
}

void TEmulatedBus::SetDriveRoot(const std::string& directory) {
    std::lock_guard<std::mutex> lock(core->mutex);
    core->driveRoot = directory.empty() ? "." : directory;
}

TCallCounts TEmulatedBus::Calls() const {
    return core->Calls();
}

TOpenObjects TEmulatedBus::OpenObjects() const {
    return core->OpenObjects();
}

// ---- TEmulatedUnit -------------------------------------------------------------------------

TEmulatedUnit::TEmulatedUnit(TBusCore& core, unsigned family, unsigned launchMode)
    : core(core), firmware(std::make_unique<TUnitFirmware>(family, launchMode)) {}

TEmulatedUnit::~TEmulatedUnit() = default;

unsigned TEmulatedUnit::Family() const {
    return core.WithFirmware(*this, [](TUnitFirmware& f) { return f.family; });
}

unsigned TEmulatedUnit::LaunchMode() const {
    return core.WithFirmware(*this, [](TUnitFirmware& f) { return f.launchMode; });
}

std::string TEmulatedUnit::Path() const {
    return core.WithFirmware(*this, [](TUnitFirmware& f) { return f.path; });
}

uint8_t TEmulatedUnit::Register(uint8_t code) const {
    return core.WithFirmware(*this, [code](TUnitFirmware& f) -> uint8_t {
        return TUnitFirmware::IsRegister(code) ? f.registers[code - Detail::FirstRegister] : 0;
    });
}

void TEmulatedUnit::SetRegister(uint8_t code, uint8_t value) {
    core.WithFirmware(*this, [code, value](TUnitFirmware& f) {
        if (!TUnitFirmware::IsRegister(code))
            return;
        f.registers[code - Detail::FirstRegister] = value;
        f.pending[code - Detail::FirstRegister].active = false;
    });
}

uint8_t TEmulatedUnit::LastValue(uint8_t code) const {
    return core.WithFirmware(*this, [code](TUnitFirmware& f) -> uint8_t {
        const auto it = f.lastValues.find(code);
        return it != f.lastValues.end() ? it->second : 0;
    });
}

void TEmulatedUnit::SetTransitionTime(uint8_t reg, uint32_t ms) {
    core.WithFirmware(*this, [reg, ms](TUnitFirmware& f) {
        if (TUnitFirmware::IsRegister(reg))
            f.transitionMs[reg - Detail::FirstRegister] = ms;
    });
}

void TEmulatedUnit::SetStuck(uint8_t reg, bool stuck) {
    core.WithFirmware(*this, [reg, stuck](TUnitFirmware& f) {
        if (TUnitFirmware::IsRegister(reg))
            f.stuck[reg - Detail::FirstRegister] = stuck;
    });
}

void TEmulatedUnit::SetBlock(uint8_t code, std::vector<uint8_t> bytes) {
    core.WithFirmware(*this, [code, &bytes](TUnitFirmware& f) {
        if (f.blocks.count(code) != 0)
            f.blocks[code] = std::move(bytes);
    });
}

void TEmulatedUnit::SetReportLengths(uint16_t input, uint16_t output) {
    core.WithFirmware(*this, [input, output](TUnitFirmware& f) {
        f.inputLength = input;
        f.outputLength = output;
    });
}

void TEmulatedUnit::SetGetCapsFails(bool fails) {
    core.WithFirmware(*this, [fails](TUnitFirmware& f) { f.getCapsFails = fails; });
}

void TEmulatedUnit::SetIgnoresLaunchModeSwitch(bool ignores) {
    core.WithFirmware(*this, [ignores](TUnitFirmware& f) { f.ignoresLaunchModeSwitch = ignores; });
}

void TEmulatedUnit::SetSilent(bool silent) {
    core.WithFirmware(*this, [silent](TUnitFirmware& f) { f.silent = silent; });
}

void TEmulatedUnit::QueueEmptyReads(unsigned n) {
    core.WithFirmware(*this, [n](TUnitFirmware& f) { f.emptyReads = n; });
}

void TEmulatedUnit::SetReplyCode(std::optional<uint8_t> code) {
    core.WithFirmware(*this, [code](TUnitFirmware& f) { f.replyCode = code; });
}

void TEmulatedUnit::FailWrites(uint32_t error, uint32_t bytesWritten) {
    core.WithFirmware(*this, [error, bytesWritten](TUnitFirmware& f) {
        f.writeError = error;
        f.writeErrorBytes = error != 0 ? bytesWritten : 0;
    });
}

void TEmulatedUnit::FailReads(uint32_t error) {
    core.WithFirmware(*this, [error](TUnitFirmware& f) { f.readError = error; });
}

void TEmulatedUnit::SetWritesZeroBytes(bool zero) {
    core.WithFirmware(*this, [zero](TUnitFirmware& f) { f.writesZeroBytes = zero; });
}

void TEmulatedUnit::SetReplySource(KL_IReplySource* source) {
    core.WithFirmware(*this, [source](TUnitFirmware& f) { f.replySource = source; });
}

const std::vector<std::vector<uint8_t>>& TEmulatedUnit::Received() const {
    std::lock_guard<std::mutex> lock(core.mutex);
    return firmware->received;
}

void TEmulatedUnit::ClearReceived() {
    core.WithFirmware(*this, [](TUnitFirmware& f) { f.ClearReceived(); });
}

}  // namespace KL_VRXEmu
