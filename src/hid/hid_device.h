// THIDDevice: the transport object of one unit: the handle of its HID
// interface, the report lengths it declares, and its traffic log.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hid/transport_status.h"
#include "os/win_types.h"

namespace KL_VRXLog {
class TLogger;
}

namespace KL_VRXHid {

class THIDDevice {
  public:
    // Closed, lengths 0, dump flag clear, logging off; then binds the HID
    // library and stores the status as the latest transport status (never
    // fails).
    THIDDevice();
    // Closes an open device (with its log record), then drops the logger.
    ~THIDDevice();

    THIDDevice(const THIDDevice&) = delete;
    THIDDevice& operator=(const THIDDevice&) = delete;

    // ---- Connection (hid_device.cpp) ----------------------------------------

    // Opens the index-th path that matches the pair, then reads its report
    // lengths. Success, CouldNotFindDevice, IndexOutOfRange, ApiLoadFailed or
    // DeviceNotFound; each step's status is stored as the latest transport
    // status.
    TransportStatus OpenUnitByIndex(uint16_t vendorId, uint16_t productId, uint32_t index);
    // Closes any open handle, then opens path. Success or DeviceNotFound.
    TransportStatus OpenDevicePath(std::string path);
    // Reads the report lengths from the HID capabilities. Success (also on a
    // closed device, lengths unchanged) or DeviceNotFound.
    TransportStatus ReadReportLengths();
    // Closes the handle (no-op when closed). The lengths stay.
    void CloseDevice();
    // What every owner does to let a unit go: CloseDevice, then both report
    // lengths 0.
    void CloseAndForgetLengths();

    bool IsOpen() const;
    uint32_t InputReportLength() const { return inputReportLength; }
    uint32_t OutputReportLength() const { return outputReportLength; }

    // ---- Traffic log (hid_device.cpp) ---------------------------------------

    // Switches the traffic log on (creates the logger on logPath) or off.
    void SwitchLog(bool on);
    // Logging is on while the logger exists, even one whose file did not open.
    bool IsLogging() const { return logger != nullptr; }
    // Nonzero: records are held until a failure, an open or a close.
    uint8_t LogDumpFlag() const { return logDumpFlag; }
    void SetLogDumpFlag(uint8_t flag) { logDumpFlag = flag; }

    // ---- Reports (report_io.cpp) --------------------------------------------

    // Sends length bytes as one output report padded with zeros to the output
    // report length. length: bytes supplied in, bytes written out. Success,
    // LogFileFailed or SendFailed.
    TransportStatus WriteReport(const uint8_t* data, uint32_t& length);
    // Receives one input report into buffer. length: buffer size in, bytes
    // read out. Success, LogFileFailed or ReadFailed.
    TransportStatus ReadReport(uint8_t* buffer, uint32_t& length);
    // Guarded forms: bound library, open handle, fitting length; every
    // step's status is stored as the latest transport status.
    TransportStatus SendReport(const uint8_t* data, uint32_t& length);
    TransportStatus ReceiveReport(uint8_t* buffer, uint32_t& length);

  private:
    KL_VRXOS::HANDLE handle;
    uint32_t inputReportLength;
    uint32_t outputReportLength;
    uint8_t logDumpFlag;
    std::string logPath;
    std::unique_ptr<KL_VRXLog::TLogger> logger;
};

// The guard the layers above put in front of a device they may already have
// released (null): binds the HID library and requires an open device, each
// step's status stored as the latest transport status. Success,
// ApiLoadFailed or DeviceNotOpen.
TransportStatus CheckDevice(const THIDDevice* device);

// What an open on a device already released reports: DeviceNotOpen, stored
// as the latest transport status.
TransportStatus ReleasedDevice();

}  // namespace KL_VRXHid
