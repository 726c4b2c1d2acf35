// The Setup API's HID interface enumeration over sysfs' hidraw nodes.
#include "os/linux/hidraw_nodes.h"
#include "os/linux/linux_os.h"

namespace KL_VRXOS {

HDEVINFO TLinuxOs::SetupDiGetClassDevsW(const GUID* classGuid, const wchar_t*, HWND, uint32_t) {
    std::vector<std::string> paths;
    if (classGuid != nullptr && *classGuid == HidInterfaceClassGuid)
        for (THidrawNode& node : ListHidrawNodes(sysRoot))
            paths.push_back(std::move(node.windowsPath));
    return sets.Create(classGuid, std::move(paths));
}

BOOL TLinuxOs::SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA*,
                                           const GUID* interfaceClassGuid, uint32_t memberIndex,
                                           SP_DEVICE_INTERFACE_DATA* data) {
    return sets.Enumerate(set, interfaceClassGuid, memberIndex, data);
}

BOOL TLinuxOs::SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                                SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                                uint32_t detailSize, uint32_t* requiredSize,
                                                SP_DEVINFO_DATA*) {
    return sets.Detail(set, data, detail, detailSize, requiredSize);
}

BOOL TLinuxOs::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    return sets.Destroy(set);
}

}  // namespace KL_VRXOS
