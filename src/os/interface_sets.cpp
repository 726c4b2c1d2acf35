#include "os/interface_sets.h"

#include <cstring>

#include "os/os.h"

namespace KL_VRXOS {

namespace {

// Fixed part of SP_DEVICE_INTERFACE_DETAIL_DATA_A on 64-bit Windows.
constexpr uint32_t DetailFixedSize = 8;
// SPINT_ACTIVE: every interface listed is present.
constexpr uint32_t InterfaceActive = 1;

BOOL Fail(uint32_t error) {
    SetThreadLastError(error);
    return 0;
}

}  // namespace

HDEVINFO TInterfaceSets::Create(const GUID* classGuid, std::vector<std::string> hidPaths) {
    if (classGuid == nullptr) {
        SetThreadLastError(ErrorInvalidParameter);
        return InvalidHandleValue;
    }
    if (!(*classGuid == HidInterfaceClassGuid))
        hidPaths.clear();
    std::lock_guard<std::mutex> lock(mutex);
    const uintptr_t id = nextSet;
    nextSet += 8;
    sets.emplace(id, std::move(hidPaths));
    return reinterpret_cast<HDEVINFO>(id);
}

BOOL TInterfaceSets::Enumerate(HDEVINFO set, const GUID* interfaceClassGuid, uint32_t memberIndex,
                               SP_DEVICE_INTERFACE_DATA* data, uint32_t endError) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = sets.find(reinterpret_cast<uintptr_t>(set));
    if (it == sets.end())
        return Fail(ErrorInvalidHandle);
    if (data == nullptr || interfaceClassGuid == nullptr)
        return Fail(ErrorInvalidParameter);
    if (data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return Fail(ErrorInvalidUserBuffer);
    if (!(*interfaceClassGuid == HidInterfaceClassGuid) || memberIndex >= it->second.size())
        return Fail(endError);
    data->InterfaceClassGuid = HidInterfaceClassGuid;
    data->Flags = InterfaceActive;
    // Reserved leads the detail call back to the member: index + 1, so a
    // record that was never filled (0) is told apart.
    data->Reserved = static_cast<uintptr_t>(memberIndex) + 1;
    return 1;
}

BOOL TInterfaceSets::Detail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                            SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, uint32_t detailSize,
                            uint32_t* requiredSize,
                            const std::map<size_t, uint32_t>* memberErrors) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = sets.find(reinterpret_cast<uintptr_t>(set));
    if (it == sets.end())
        return Fail(ErrorInvalidHandle);
    if (data == nullptr || data->Reserved == 0 || data->Reserved > it->second.size())
        return Fail(ErrorInvalidParameter);
    if (data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return Fail(ErrorInvalidUserBuffer);
    const size_t member = data->Reserved - 1;
    const std::string& path = it->second[member];
    const auto needed = static_cast<uint32_t>(DetailFixedSize + path.size() + 1);
    if (requiredSize != nullptr)
        *requiredSize = needed;
    if (detail == nullptr)
        return Fail(detailSize == 0 ? ErrorInsufficientBuffer : ErrorInvalidUserBuffer);
    if (detail->cbSize != DetailFixedSize)
        return Fail(ErrorInvalidUserBuffer);
    if (detailSize < needed)
        return Fail(ErrorInsufficientBuffer);
    if (memberErrors != nullptr) {
        const auto injected = memberErrors->find(member);
        if (injected != memberErrors->end() && injected->second != 0)
            return Fail(injected->second);
    }
    // The path runs on past the declared one-character array, into the
    // caller's buffer of detailSize bytes.
    char* out =
        reinterpret_cast<char*>(detail) + offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
    std::memcpy(out, path.c_str(), path.size() + 1);
    return 1;
}

BOOL TInterfaceSets::Destroy(HDEVINFO set) {
    std::lock_guard<std::mutex> lock(mutex);
    if (sets.erase(reinterpret_cast<uintptr_t>(set)) == 0)
        return Fail(ErrorInvalidHandle);
    return 1;
}

size_t TInterfaceSets::Open() const {
    std::lock_guard<std::mutex> lock(mutex);
    return sets.size();
}

}  // namespace KL_VRXOS
