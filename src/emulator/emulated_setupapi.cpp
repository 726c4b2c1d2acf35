// SetupAPI enumeration of the emulated bus's HID interfaces, with the record
// checks and error codes of Windows' own SetupAPI.
#include <cstddef>
#include <cstring>

#include "emulator/bus_core.h"

namespace KL_VRXEmu::Detail {

using namespace KL_VRXOS;

namespace {

constexpr uint32_t InterfaceDataSize = 32;
constexpr uint32_t DetailFixedSize = 8;
constexpr uint32_t SpintActive = 1;

}  // namespace

HDEVINFO TBusCore::SetupDiGetClassDevsW(const GUID* classGuid, const wchar_t* /*enumerator*/,
                                        HWND /*parent*/, uint32_t /*flags*/) {
    std::lock_guard<std::mutex> lock(mutex);
    ++calls.classDevs;
    if (classGuid == nullptr)
        return FailInvalidHandle(ErrorInvalidParameter);
    if (classDevsError != 0) {
        if (classDevsAllowed == 0)
            return FailInvalidHandle(classDevsError);
        --classDevsAllowed;
    }
    // Like Windows, the set is a snapshot: later plugging does not change it.
    TDevInfoSet set;
    if (*classGuid == HidInterfaceClassGuid)
        set.members = interfaces;
    const uintptr_t key = nextKey;
    nextKey += 8;
    sets[key] = std::move(set);
    return reinterpret_cast<HDEVINFO>(key);
}

BOOL TBusCore::SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* /*devInfo*/,
                                           const GUID* interfaceClassGuid, uint32_t memberIndex,
                                           SP_DEVICE_INTERFACE_DATA* data) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = sets.find(Key(set));
    if (it == sets.end())
        return Fail(ErrorInvalidHandle);
    if (data == nullptr || interfaceClassGuid == nullptr)
        return Fail(ErrorInvalidParameter);
    if (data->cbSize != InterfaceDataSize)
        return Fail(ErrorInvalidUserBuffer);
    const std::vector<TInterface>& members = it->second.members;
    if (!(*interfaceClassGuid == HidInterfaceClassGuid) || memberIndex >= members.size())
        return Fail(enumerationError != 0 ? enumerationError : ErrorNoMoreItems);
    data->InterfaceClassGuid = HidInterfaceClassGuid;
    data->Flags = SpintActive;
    data->Reserved = static_cast<uintptr_t>(memberIndex) + 1;  // which member, for the detail call
    return 1;
}

BOOL TBusCore::SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                                SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                                uint32_t detailSize, uint32_t* requiredSize,
                                                SP_DEVINFO_DATA* /*devInfo*/) {
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = sets.find(Key(set));
    if (it == sets.end())
        return Fail(ErrorInvalidHandle);
    if (data == nullptr)
        return Fail(ErrorInvalidParameter);
    if (data->cbSize != InterfaceDataSize)
        return Fail(ErrorInvalidUserBuffer);
    const std::vector<TInterface>& members = it->second.members;
    if (data->Reserved == 0 || data->Reserved > members.size())
        return Fail(ErrorInvalidParameter);
    const size_t index = data->Reserved - 1;
    const std::string& path = members[index].path;
    const auto required = static_cast<uint32_t>(DetailFixedSize + path.size() + 1);
    if (requiredSize != nullptr)
        *requiredSize = required;
    if (detail == nullptr)
        return Fail(detailSize == 0 ? ErrorInsufficientBuffer : ErrorInvalidUserBuffer);
    if (detail->cbSize != DetailFixedSize)
        return Fail(ErrorInvalidUserBuffer);
    if (detailSize < required)
        return Fail(ErrorInsufficientBuffer);
    const auto error = detailErrors.find(index);
    if (error != detailErrors.end() && error->second != 0)
        return Fail(error->second);
    // The path runs past the declared one-character array, as on Windows.
    char* out =
        reinterpret_cast<char*>(detail) + offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
    std::memcpy(out, path.c_str(), path.size() + 1);
    return 1;
}

BOOL TBusCore::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    std::lock_guard<std::mutex> lock(mutex);
    if (sets.erase(Key(set)) == 0)
        return Fail(ErrorInvalidHandle);
    return 1;
}

}  // namespace KL_VRXEmu::Detail
