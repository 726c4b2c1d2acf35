#include "hid/unit_handle.h"

#include <algorithm>

#include "hid/hid_binding.h"
#include "os/os.h"

namespace KL_VRXHid {

using namespace KL_VRXOS;
using KL_VRXState::TStateLock;

namespace {

// A live handle of the path that new controllers may join; the table's
// expired entries go on the way.
std::shared_ptr<TUnitHandle> FindLocked(const TStateLock&, const std::string& path) {
    auto& table = TransportState().unitHandles;
    table.erase(std::remove_if(table.begin(), table.end(),
                               [](const std::weak_ptr<TUnitHandle>& h) { return h.expired(); }),
                table.end());
    for (const std::weak_ptr<TUnitHandle>& entry : table)
        if (std::shared_ptr<TUnitHandle> held = entry.lock();
            held && !held->Retired() && held->Path() == path)
            return held;
    return nullptr;
}

}  // namespace

TUnitHandle::TUnitHandle(std::string path, HANDLE handle) : path(std::move(path)), handle(handle) {}

TUnitHandle::~TUnitHandle() {
    Os().CloseHandle(handle);
}

std::shared_ptr<TUnitHandle> OpenUnitHandle(const std::string& path, uint32_t& error) {
    {
        const TStateLock lock;
        if (std::shared_ptr<TUnitHandle> held = FindLocked(lock, path))
            return held;
    }
    auto& os = Os();
    const HANDLE handle =
        os.CreateFileA(path.c_str(), GenericRead | GenericWrite, FileShareRead | FileShareWrite,
                       nullptr, OpenExisting, 0, nullptr);
    if (handle == InvalidHandleValue) {
        error = os.GetLastError();
        return nullptr;
    }
    std::shared_ptr<TUnitHandle> made;
    try {
        made = std::make_shared<TUnitHandle>(path, handle);
    } catch (...) {
        os.CloseHandle(handle);
        throw;
    }
    const TStateLock lock;
    // Another controller of the unit may have opened it meanwhile: its
    // handle is the one, and this one closes as made goes (the close needs
    // no lock, and the caller holds none by then).
    if (std::shared_ptr<TUnitHandle> held = FindLocked(lock, path))
        return held;
    TransportState().unitHandles.push_back(made);
    return made;
}

}  // namespace KL_VRXHid
