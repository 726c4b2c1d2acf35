// The process-wide table of open device handles and of preparsed data.
//
// Windows handles are process-wide and hid.dll's functions take nothing but
// a handle, so the table is one per process, shared by every TLinuxOs.
// Entries are shared_ptr: a read blocked on one thread keeps its descriptor
// alive while another thread closes the handle; the descriptor closes when
// the last user lets go.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "os/win_types.h"

namespace KL_VRXOS {

struct TDevice {
    TDevice(int fd, std::string name) : fd(fd), name(std::move(name)) {}
    ~TDevice();
    TDevice(const TDevice&) = delete;
    TDevice& operator=(const TDevice&) = delete;

    const int fd;
    const std::string name;     // product name for HidD_GetProductString ("" unknown)
    bool lengthsKnown = false;  // false when the report descriptor could not be read
    bool numbered = false;      // reports carry their ID on the wire
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t inputLength = 0;
    uint16_t outputLength = 0;
    uint16_t featureLength = 0;
};

// Registers a device and returns its new handle (never null or InvalidHandleValue).
HANDLE AddDevice(std::shared_ptr<TDevice> device);

// The device of a handle; null for an unknown or closed handle.
std::shared_ptr<TDevice> FindDevice(HANDLE handle);

// Unregisters a handle; false when it was not open.
bool RemoveDevice(HANDLE handle);

// Preparsed data: a snapshot of a device's caps, valid until freed.
PHIDP_PREPARSED_DATA AddPreparsed(const HIDP_CAPS& caps);
bool FindPreparsed(PHIDP_PREPARSED_DATA data, HIDP_CAPS* caps);
bool RemovePreparsed(PHIDP_PREPARSED_DATA data);

}  // namespace KL_VRXOS
