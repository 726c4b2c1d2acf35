// The check that opens every transaction and every poll of the channel.
#pragma once

#include "hid/hid_device.h"
#include "protocol/protocol_error.h"

// Binds the HID library (status in LastTransportStatus) and requires an open
// handle (LastTransportStatus 4 when there is none, also when the owner has
// already released the device). NotOpened on either failure; nothing is sent.
ProtocolError CheckUnit(const THIDDevice* device);

// OpenUnitByIndex on the channel's device; DeviceNotOpen (stored) once the
// owner has released it.
TransportStatus OpenOnDevice(THIDDevice* device, uint16_t vendorId, uint16_t productId,
                             uint32_t index);

// Byte 0 of every command message: the unit uses no numbered reports.
inline constexpr uint8_t VRXReportId = 0x00;
