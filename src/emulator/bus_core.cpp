#include "emulator/bus_core.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <thread>

namespace KL_VRXEmu::Detail {

namespace {

constexpr uint16_t VendorId = 0x3C5A;

// Product IDs per family: launch mode 2 enumerates under the first.
uint16_t ProductId(unsigned family, unsigned launchMode) {
    const bool first = launchMode == 2;
    if (family == 2)
        return first ? 0x0E58 : 0x0E57;
    return first ? 0x0E32 : 0x0E31;
}

}  // namespace

TBusCore::TBusCore(TClock clock) : clock(clock), epoch(std::chrono::steady_clock::now()) {}

TBusCore::~TBusCore() = default;

// ---- Clock ---------------------------------------------------------------------------------

uint64_t TBusCore::NowLocked() const {
    if (clock == TClock::Virtual)
        return virtualNow;
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - epoch)
                                     .count());
}

// The Real clock counts from the steady clock's own origin, as GetTickCount
// counts from boot; the Virtual one from 0 when the bus is made.
uint32_t TBusCore::TickLocked() const {
    if (clock == TClock::Virtual)
        return static_cast<uint32_t>(virtualNow + tickOffset);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms) + tickOffset);
}

void TBusCore::AdvanceLocked(uint32_t ms) {
    if (clock == TClock::Virtual)
        virtualNow += ms;
}

// Called without the lock: a sleeping caller must not stop the bus.
void TBusCore::RealSleep(uint32_t ms) const {
    if (clock != TClock::Real)
        return;
    if (ms == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

uint32_t TBusCore::Tick() const {
    std::lock_guard<std::mutex> lock(mutex);
    return TickLocked();
}

void TBusCore::SetTick(uint32_t tick) {
    std::lock_guard<std::mutex> lock(mutex);
    tickOffset = 0;
    tickOffset = tick - TickLocked();
}

TCallCounts TBusCore::Calls() const {
    std::lock_guard<std::mutex> lock(mutex);
    return calls;
}

TOpenObjects TBusCore::OpenObjects() const {
    std::lock_guard<std::mutex> lock(mutex);
    TOpenObjects open;
    open.handles = static_cast<unsigned>(handles.size());
    open.deviceInfoSets = static_cast<unsigned>(sets.Open());
    open.preparsedData = static_cast<unsigned>(preparsedData.size());
    open.hidReferences = moduleReferences;
    return open;
}

// ---- Interfaces ----------------------------------------------------------------------------

std::string TBusCore::MakePath(uint16_t vendorId, uint16_t productId) {
    // The instance part mimics Windows' "7&<hash>&0&0000": unique per appearance.
    char text[128];
    std::snprintf(text, sizeof text,
                  "\\\\?\\hid#vid_%04x&pid_%04x#7&%x&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                  vendorId, productId, static_cast<unsigned>(0x2a5c1000u + nextInstance * 0x1d3u));
    return text;
}

void TBusCore::Append(TEmulatedUnit* unit, uint16_t vendorId, uint16_t productId) {
    TInterface entry;
    entry.path = MakePath(vendorId, productId);
    entry.instance = nextInstance++;
    entry.vendorId = vendorId;
    entry.productId = productId;
    entry.unit = unit;
    if (unit != nullptr) {
        unit->firmware->instance = entry.instance;
        unit->firmware->path = entry.path;
    }
    interfaces.push_back(std::move(entry));
}

TEmulatedUnit& TBusCore::AttachUnit(unsigned family, unsigned launchMode) {
    if (family != 1 && family != 2)
        throw std::invalid_argument("KL_VRXEmu: a unit's family is 1 or 2");
    std::lock_guard<std::mutex> lock(mutex);
    units.emplace_back(new TEmulatedUnit(*this, family, launchMode));
    TEmulatedUnit& unit = *units.back();
    Append(&unit, VendorId, ProductId(family, launchMode));
    return unit;
}

void TBusCore::Detach(TEmulatedUnit& unit) {
    std::lock_guard<std::mutex> lock(mutex);
    interfaces.erase(std::remove_if(interfaces.begin(), interfaces.end(),
                                    [&](const TInterface& i) { return i.unit == &unit; }),
                     interfaces.end());
    units.erase(
        std::remove_if(units.begin(), units.end(),
                       [&](const std::unique_ptr<TEmulatedUnit>& u) { return u.get() == &unit; }),
        units.end());
}

void TBusCore::AttachForeign(uint16_t vendorId, uint16_t productId) {
    std::lock_guard<std::mutex> lock(mutex);
    Append(nullptr, vendorId, productId);
}

// The old appearance goes (its handles die) and a new one joins at the end.
void TBusCore::Reenumerate(TEmulatedUnit& unit) {
    interfaces.erase(std::remove_if(interfaces.begin(), interfaces.end(),
                                    [&](const TInterface& i) { return i.unit == &unit; }),
                     interfaces.end());
    const TUnitFirmware& f = *unit.firmware;
    Append(&unit, VendorId, ProductId(f.family, f.launchMode));
}

std::vector<std::string> TBusCore::InterfacePaths() const {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<std::string> paths;
    paths.reserve(interfaces.size());
    for (const TInterface& i : interfaces)
        paths.push_back(i.path);
    return paths;
}

const TInterface* TBusCore::FindInterface(uint64_t instance) const {
    for (const TInterface& i : interfaces)
        if (i.instance == instance)
            return &i;
    return nullptr;
}

const TInterface* TBusCore::ResolveLocked(KL_VRXOS::HANDLE handle, bool& readWrite,
                                          uint32_t& error) const {
    const auto it = handles.find(Key(handle));
    if (it == handles.end()) {
        error = KL_VRXOS::ErrorInvalidHandle;
        return nullptr;
    }
    readWrite = it->second.readWrite;
    const TInterface* found = FindInterface(it->second.instance);
    if (found == nullptr)
        error = KL_VRXOS::ErrorDeviceNotConnected;
    return found;
}

}  // namespace KL_VRXEmu::Detail
