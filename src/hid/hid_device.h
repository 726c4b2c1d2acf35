// THIDDevice: the transport object of one unit: the handle of its HID
// interface, the report lengths it declares, and its traffic log.
//
// The handle is the unit's, shared with every other device of the process
// open on the same unit (hid/unit_handle.h); an exchange holds the unit's
// turn (Turn) from its report out to the end of its reply's reading.
//
// One thread at a time drives a device, except for its log switches
// (SwitchLog, IsLogging, the dump flag), which any thread may use meanwhile:
// every transfer, open and close holds its own reference to the logger while
// it logs, so a logger switched off is destroyed by the last step inside it,
// never under one.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "hid/report_buffer.h"
#include "hid/transport_status.h"
#include "os/win_types.h"

namespace KL_VRXLog {
class TLogger;
}

namespace KL_VRXHid {

class TUnitHandle;

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
    // Reads the report lengths from the HID capabilities and makes room for
    // reports of those lengths. Success (also on a closed device, lengths
    // unchanged) or DeviceNotFound.
    TransportStatus ReadReportLengths();
    // Closes the handle (no-op when closed). The lengths stay. Never fails:
    // a log record it cannot make (out of memory) is left out.
    void CloseDevice() noexcept;
    // What every owner does to let a unit go: CloseDevice, then both report
    // lengths 0.
    void CloseAndForgetLengths() noexcept;

    bool IsOpen() const;
    // The unit's turn for one exchange, held until the lock goes; none (an
    // empty lock) while the device is closed.
    [[nodiscard]] std::unique_lock<std::mutex> Turn() const;
    uint32_t InputReportLength() const { return inputReportLength; }
    uint32_t OutputReportLength() const { return outputReportLength; }

    // ---- Traffic log (hid_device.cpp) ---------------------------------------

    // Switches the traffic log on (creates the logger on logPath) or off.
    void SwitchLog(bool on);
    // Logging is on while the logger exists, even one whose file did not open.
    bool IsLogging() const;
    // Nonzero: records are held until a failure, an open or a close.
    uint8_t LogDumpFlag() const { return logDumpFlag.load(); }
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
    // The logger for one step's records (null while logging is off): the
    // step's own reference, valid to its end whatever SwitchLog does meanwhile.
    std::shared_ptr<KL_VRXLog::TLogger> Logger() const;

    std::shared_ptr<TUnitHandle> unit;  // null while closed
    KL_VRXOS::HANDLE handle;            // the unit's handle, InvalidHandleValue while closed
    uint32_t inputReportLength;
    uint32_t outputReportLength;
    // Where each report is padded before it goes out and lands when it comes
    // in; sized by ReadReportLengths.
    TReportBuffer outputReport;
    TReportBuffer inputReport;
    std::atomic<uint8_t> logDumpFlag;  // read by the transfers, set from any thread
    std::string logPath;
    std::shared_ptr<KL_VRXLog::TLogger> logger;  // under loggerLock
    mutable std::mutex loggerLock;               // guards the pointer; the logger locks itself
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
