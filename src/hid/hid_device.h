// THIDDevice: the transport object of one unit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hid/transport_status.h"
#include "os/win_types.h"

class TLogger;

class THIDDevice {
  public:
    // Closed, lengths 0, dump flag clear, logging off; then binds the HID
    // library and stores the status in LastTransportStatus (never fails).
    THIDDevice();
    // Closes an open device (with its log record), then drops the logger.
    ~THIDDevice();

    THIDDevice(const THIDDevice&) = delete;
    THIDDevice& operator=(const THIDDevice&) = delete;

    // Closes any open handle, then opens path. 0 or 8.
    TransportStatus OpenDevicePath(std::string path);
    // Reads the report lengths from the HID capabilities. 0 (also on a closed
    // device, lengths unchanged) or 8.
    TransportStatus ReadReportLengths();
    // Closes the handle (no-op when closed). The lengths stay.
    void CloseDevice();
    // Switches the traffic log on (creates the logger on logPath) or off.
    void SwitchLog(bool on);

    // Fields read and written by the command channel and the controller.
    KL_VRXOS::HANDLE handle;
    uint32_t inputReportLength;
    uint32_t outputReportLength;
    uint8_t logDumpFlag;
    std::string logPath;
    std::unique_ptr<TLogger> logger;
};

// Opens the index-th path that matches the pair on device, then reads its
// report lengths. 0, 1, 3, 6 or 8; each step's status in LastTransportStatus.
TransportStatus OpenUnitByIndex(THIDDevice& device, uint16_t vendorId, uint16_t productId,
                                uint32_t index);
