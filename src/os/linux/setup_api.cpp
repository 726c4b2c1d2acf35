// The Setup API's HID interface enumeration over sysfs' hidraw nodes.
#include <cstddef>
#include <cstring>

#include "os/linux/hidraw_nodes.h"
#include "os/linux/linux_os.h"

namespace KL_VRXOS {

namespace {

// Fixed part of SP_DEVICE_INTERFACE_DETAIL_DATA_A on 64-bit Windows.
constexpr uint32_t DetailFixedSize = 8;
// SPINT_ACTIVE: every interface we list is present.
constexpr uint32_t InterfaceActive = 1;

BOOL Fail(uint32_t error) {
    SetThreadLastError(error);
    return 0;
}

}  // namespace

// A set is a snapshot of the interface paths at the time it is made, as on
// Windows; another class than HID has no members.
HDEVINFO TLinuxOs::SetupDiGetClassDevsW(const GUID* classGuid, const wchar_t*, HWND, uint32_t) {
    if (classGuid == nullptr) {
        SetThreadLastError(ErrorInvalidParameter);
        return InvalidHandleValue;
    }
    std::vector<std::string> paths;
    if (*classGuid == HidInterfaceClassGuid)
        for (THidrawNode& node : ListHidrawNodes(sysRoot))
            paths.push_back(std::move(node.windowsPath));
    std::lock_guard<std::mutex> lock(setsMutex);
    const uintptr_t id = nextSet++;
    sets.emplace(id, std::move(paths));
    return reinterpret_cast<HDEVINFO>(id);
}

BOOL TLinuxOs::SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA*, const GUID*,
                                           uint32_t memberIndex, SP_DEVICE_INTERFACE_DATA* data) {
    std::lock_guard<std::mutex> lock(setsMutex);
    const auto it = sets.find(reinterpret_cast<uintptr_t>(set));
    if (it == sets.end())
        return Fail(ErrorInvalidHandle);
    if (data == nullptr)
        return Fail(ErrorInvalidParameter);
    if (data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return Fail(ErrorInvalidUserBuffer);
    if (memberIndex >= it->second.size())
        return Fail(ErrorNoMoreItems);
    data->InterfaceClassGuid = HidInterfaceClassGuid;
    data->Flags = InterfaceActive;
    // Reserved leads the detail call back to the member: index + 1, so a
    // record that was never filled (0) is told apart.
    data->Reserved = static_cast<uintptr_t>(memberIndex) + 1;
    return 1;
}

BOOL TLinuxOs::SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                                SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                                uint32_t detailSize, uint32_t* requiredSize,
                                                SP_DEVINFO_DATA*) {
    std::lock_guard<std::mutex> lock(setsMutex);
    const auto it = sets.find(reinterpret_cast<uintptr_t>(set));
    if (it == sets.end())
        return Fail(ErrorInvalidHandle);
    if (data == nullptr || data->Reserved == 0 || data->Reserved > it->second.size())
        return Fail(ErrorInvalidParameter);
    if (detail == nullptr ? detailSize != 0 : detail->cbSize != DetailFixedSize)
        return Fail(ErrorInvalidUserBuffer);
    const std::string& path = it->second[data->Reserved - 1];
    const uint32_t needed = DetailFixedSize + static_cast<uint32_t>(path.size()) + 1;
    if (requiredSize != nullptr)
        *requiredSize = needed;
    if (detail == nullptr || detailSize < needed)
        return Fail(ErrorInsufficientBuffer);
    // The path runs on past the declared one-character array, into the
    // caller's buffer of detailSize bytes.
    char* out =
        reinterpret_cast<char*>(detail) + offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
    std::memcpy(out, path.c_str(), path.size() + 1);
    return 1;
}

BOOL TLinuxOs::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    std::lock_guard<std::mutex> lock(setsMutex);
    if (sets.erase(reinterpret_cast<uintptr_t>(set)) == 0)
        return Fail(ErrorInvalidHandle);
    return 1;
}

}  // namespace KL_VRXOS
