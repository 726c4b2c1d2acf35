// Device-information sets over a list of interface paths: the Setup API's
// side of HID enumeration for every implementation that has no Setup API of
// its own (Linux's hidraw nodes, the emulator's bus). One core, so both
// check the records and fail with the same Windows codes.
//
// A set is a snapshot of the paths it was made with, as on Windows: an
// interface plugged or unplugged afterwards does not change it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "os/win_types.h"

namespace KL_VRXOS {

class TInterfaceSets {
  public:
    // SetupDiGetClassDevsW: a set of hidPaths for the HID class, an empty
    // one for any other class; a null GUID fails with 87.
    HDEVINFO Create(const GUID* classGuid, std::vector<std::string> hidPaths);

    // SetupDiEnumDeviceInterfaces. Past the last member (or for a class other
    // than HID) it fails with endError, which is 259 unless a test wants
    // another.
    BOOL Enumerate(HDEVINFO set, const GUID* interfaceClassGuid, uint32_t memberIndex,
                   SP_DEVICE_INTERFACE_DATA* data, uint32_t endError = ErrorNoMoreItems);

    // SetupDiGetDeviceInterfaceDetailA. memberErrors, when given, makes the
    // call with a buffer fail for the members it names, after every check
    // of the records has passed.
    BOOL Detail(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data,
                SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail, uint32_t detailSize,
                uint32_t* requiredSize, const std::map<size_t, uint32_t>* memberErrors = nullptr);

    // SetupDiDestroyDeviceInfoList.
    BOOL Destroy(HDEVINFO set);

    // Sets made and not yet destroyed.
    size_t Open() const;

  private:
    mutable std::mutex mutex;
    std::map<uintptr_t, std::vector<std::string>> sets;
    // Counts in steps of 8 from a value no handle of ours starts at, so a
    // set is never taken for a device handle.
    uintptr_t nextSet = 0x5E70000;
};

}  // namespace KL_VRXOS
