// Report output and input on an open THIDDevice, with their log records.
#pragma once

#include <cstdint>

#include "hid/hid_device.h"
#include "hid/transport_status.h"

// Sends length bytes as one output report padded with zeros to
// outputReportLength. length: bytes supplied in, bytes written out. 0, 5 or 9.
TransportStatus WriteReport(THIDDevice& device, const uint8_t* data, uint32_t& length);

// Receives one input report into buffer. length: buffer size in, bytes read
// out. 0, 5 or 10.
TransportStatus ReadReport(THIDDevice& device, uint8_t* buffer, uint32_t& length);

// Guarded forms: bound library, open handle, fitting length; every step's
// status in LastTransportStatus.
TransportStatus SendReport(THIDDevice& device, const uint8_t* data, uint32_t& length);
TransportStatus ReceiveReport(THIDDevice& device, uint8_t* buffer, uint32_t& length);
