// SetupAPI enumeration of the emulated bus's HID interfaces: the shared set
// core with the bus's fault switches in front of it.
#include "emulator/bus_core.h"

namespace KL_VRXEmu::Detail {

using namespace KL_VRXOS;

HDEVINFO TBusCore::SetupDiGetClassDevsW(const GUID* classGuid, const wchar_t* /*enumerator*/,
                                        HWND /*parent*/, uint32_t /*flags*/) {
    std::lock_guard<std::mutex> lock(mutex);
    ++calls.classDevs;
    if (classDevsError != 0) {
        if (classDevsAllowed == 0)
            return FailInvalidHandle(classDevsError);
        --classDevsAllowed;
    }
    std::vector<std::string> paths;
    paths.reserve(interfaces.size());
    for (const TInterface& i : interfaces)
        paths.push_back(i.path);
    return sets.Create(classGuid, std::move(paths));
}

BOOL TBusCore::SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* /*devInfo*/,
                                           const GUID* interfaceClassGuid, uint32_t memberIndex,
                                           SP_DEVICE_INTERFACE_DATA* data) {
    std::lock_guard<std::mutex> lock(mutex);
    return sets.Enumerate(set, interfaceClassGuid, memberIndex, data,
                          enumerationError != 0 ? enumerationError : ErrorNoMoreItems);
}

BOOL TBusCore::SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                                                SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                                uint32_t detailSize, uint32_t* requiredSize,
                                                SP_DEVINFO_DATA* /*devInfo*/) {
    std::lock_guard<std::mutex> lock(mutex);
    return sets.Detail(set, data, detail, detailSize, requiredSize, &detailErrors);
}

BOOL TBusCore::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    return sets.Destroy(set);
}

}  // namespace KL_VRXEmu::Detail
