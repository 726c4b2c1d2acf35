#include "hid/hid_device.h"

#include "hid/discovery.h"
#include "hid/hid_binding.h"
#include "hid/unit_handle.h"
#include "log/logger.h"
#include "os/os.h"

namespace KL_VRXHid {

using namespace KL_VRXOS;
using KL_VRXState::TStateLock;

namespace {

constexpr const char* LogFilePath = "C:\\VRXHIDLog.log";

}  // namespace

THIDDevice::THIDDevice()
    : handle(InvalidHandleValue),
      inputReportLength(0),
      outputReportLength(0),
      logDumpFlag(0),
      logPath(LogFilePath) {
    // The status is only recorded: a device without hid.dll can still be
    // made, and every later operation binds again before it needs the library.
    TransportState().lastTransportStatus = LoadHidApi();
}

THIDDevice::~THIDDevice() {
    CloseDevice();
}

TransportStatus THIDDevice::OpenUnitByIndex(uint16_t vendorId, uint16_t productId, uint32_t index) {
    auto& status = TransportState().lastTransportStatus;
    const std::string text = MatchText(vendorId, productId);
    std::string path;
    {
        // The enumeration and the selection from its list are one step: no
        // other thread refills the list in between.
        const TStateLock lock;
        if (TransportStatus bound = status = LoadHidApi(lock); bound != TransportStatus::Success)
            return bound;
        // An enumeration failure does not stop the open: a unit whose path was
        // read opens even when another interface could not be read.
        status = EnumerateHidPaths(lock);
        if (index >= CountMatchingPaths(lock, text))
            return status = TransportStatus::IndexOutOfRange;
        if (TransportStatus found = status = GetMatchingPath(lock, path, text, index);
            found != TransportStatus::Success)
            return found;
    }
    // Opened without the lock: the open's log record may have to reach the
    // file, and the handle needs nothing of hid.dll.
    if (TransportStatus opened = status = OpenDevicePath(path); opened != TransportStatus::Success)
        return opened;
    const TransportStatus lengths = status = ReadReportLengths();
    if (lengths != TransportStatus::Success) {
        // A handle whose capabilities cannot be read is no one's to join.
        unit->Retire();
        CloseAndForgetLengths();
    }
    return lengths;
}

TransportStatus THIDDevice::OpenDevicePath(std::string path) {
    CloseDevice();
    uint32_t error = 0;
    unit = OpenUnitHandle(path, error);
    const bool opened = unit != nullptr;
    if (opened)
        handle = unit->Handle();
    else
        TransportState().lastApiError = error;
    // Every open is dumped with its header, whatever the dump flag says, so
    // the file shows where each session on a unit began. The log never fails
    // an open: a record it cannot make (out of memory) is left out.
    if (const std::shared_ptr<KL_VRXLog::TLogger> log = Logger()) {
        try {
            log->Record([&](KL_VRXLog::TLogLine& line) {
                line << (opened ? "***Succeeded trying to open device at path: "
                                : "***Failed trying to open device at path: ")
                     << path;
            });
            log->Dump(true);
        } catch (...) {
        }
    }
    return opened ? TransportStatus::Success : TransportStatus::DeviceNotFound;
}

TransportStatus THIDDevice::ReadReportLengths() {
    if (handle == InvalidHandleValue)
        return TransportStatus::Success;
    auto& os = Os();
    TTransportState& state = TransportState();
    // hid.dll is called under the lock, so no other thread frees it
    // meanwhile; and bound again first, since another controller's
    // destruction may have unbound it since the caller's own binding.
    const TStateLock lock;
    if (LoadHidApi(lock) != TransportStatus::Success)
        return TransportStatus::DeviceNotFound;
    const THidApi& api = HidApi(lock);
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!api.HidD_GetPreparsedData(handle, &preparsed)) {
        state.lastApiError = os.GetLastError();
        return TransportStatus::DeviceNotFound;
    }
    TransportStatus status = TransportStatus::Success;
    HIDP_CAPS caps{};
    if (api.HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS) {
        inputReportLength = caps.InputReportByteLength;
        outputReportLength = caps.OutputReportByteLength;
        inputReport.Reserve(inputReportLength);
        outputReport.Reserve(outputReportLength);
    } else {
        state.lastApiError = os.GetLastError();
        status = TransportStatus::DeviceNotFound;
    }
    api.HidD_FreePreparsedData(preparsed);
    return status;
}

void THIDDevice::CloseDevice() noexcept {
    if (handle == InvalidHandleValue)
        return;
    // A close always closes: a record the log cannot take is left out.
    try {
        if (const std::shared_ptr<KL_VRXLog::TLogger> log = Logger()) {
            log->AddRecord("***Device Closed.");
            log->Dump(logDumpFlag.load() != 0);
        }
    } catch (...) {
    }
    handle = InvalidHandleValue;
    unit.reset();  // the unit's last holder closes its handle
}

void THIDDevice::CloseAndForgetLengths() noexcept {
    CloseDevice();
    inputReportLength = 0;
    outputReportLength = 0;
}

bool THIDDevice::IsOpen() const {
    return handle != InvalidHandleValue;
}

std::unique_lock<std::mutex> THIDDevice::Turn() const {
    return unit ? std::unique_lock<std::mutex>(unit->Turn()) : std::unique_lock<std::mutex>();
}

std::shared_ptr<KL_VRXLog::TLogger> THIDDevice::Logger() const {
    const std::lock_guard<std::mutex> guard(loggerLock);
    return logger;
}

bool THIDDevice::IsLogging() const {
    const std::lock_guard<std::mutex> guard(loggerLock);
    return logger != nullptr;
}

void THIDDevice::SwitchLog(bool on) {
    std::shared_ptr<KL_VRXLog::TLogger> switchedOff;
    const std::lock_guard<std::mutex> guard(loggerLock);
    // A logger whose file did not open is kept all the same: the transfers
    // then fail with LogFileFailed instead of running unrecorded. Made under
    // the guard, so two threads switching on make one logger and one header.
    if (on && !logger)
        logger = std::make_shared<KL_VRXLog::TLogger>(logPath);
    else if (!on)
        switchedOff.swap(logger);
    // A step still logging holds its own reference: the logger goes with the
    // last of them, here or at the end of that step, never under it.
}

TransportStatus CheckDevice(const THIDDevice* device) {
    auto& status = TransportState().lastTransportStatus;
    if (TransportStatus bound = status = LoadHidApi(); bound != TransportStatus::Success)
        return bound;
    if (device == nullptr || !device->IsOpen())
        return status = TransportStatus::DeviceNotOpen;
    return TransportStatus::Success;
}

TransportStatus ReleasedDevice() {
    return TransportState().lastTransportStatus = TransportStatus::DeviceNotOpen;
}

}  // namespace KL_VRXHid
