#include "os/linux/device_table.h"

#include <unistd.h>

#include <map>
#include <mutex>

namespace KL_VRXOS {

namespace {

struct TTables {
    std::mutex mutex;
    std::map<uintptr_t, std::shared_ptr<TDevice>> devices;
    std::map<uintptr_t, std::unique_ptr<HIDP_CAPS>> preparsed;
    // Handle values count up from here in steps of 4, like Windows' handles,
    // so a closed handle's value is not handed out again.
    uintptr_t nextHandle = 0x1000;
};

TTables& Tables() {
    static TTables tables;
    return tables;
}

}  // namespace

TDevice::~TDevice() {
    if (fd >= 0)
        ::close(fd);
}

HANDLE AddDevice(std::shared_ptr<TDevice> device) {
    TTables& t = Tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    const uintptr_t value = t.nextHandle;
    t.nextHandle += 4;
    t.devices.emplace(value, std::move(device));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<TDevice> FindDevice(HANDLE handle) {
    TTables& t = Tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    const auto it = t.devices.find(reinterpret_cast<uintptr_t>(handle));
    return it == t.devices.end() ? nullptr : it->second;
}

bool RemoveDevice(HANDLE handle) {
    std::shared_ptr<TDevice> last;  // released after the lock, closing the fd
    TTables& t = Tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    const auto it = t.devices.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.devices.end())
        return false;
    last = std::move(it->second);
    t.devices.erase(it);
    return true;
}

// The key is the snapshot's own address, so a pointer that is not one of
// ours is recognised without being dereferenced.
PHIDP_PREPARSED_DATA AddPreparsed(const HIDP_CAPS& caps) {
    auto copy = std::make_unique<HIDP_CAPS>(caps);
    void* key = copy.get();
    TTables& t = Tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.preparsed.emplace(reinterpret_cast<uintptr_t>(key), std::move(copy));
    return key;
}

bool FindPreparsed(PHIDP_PREPARSED_DATA data, HIDP_CAPS* caps) {
    TTables& t = Tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    const auto it = t.preparsed.find(reinterpret_cast<uintptr_t>(data));
    if (it == t.preparsed.end())
        return false;
    *caps = *it->second;
    return true;
}

bool RemovePreparsed(PHIDP_PREPARSED_DATA data) {
    TTables& t = Tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    return t.preparsed.erase(reinterpret_cast<uintptr_t>(data)) != 0;
}

}  // namespace KL_VRXOS
