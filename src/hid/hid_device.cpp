#include "hid/hid_device.h"

#include "hid/discovery.h"
#include "hid/hid_binding.h"
#include "log/logger.h"
#include "os/os.h"

namespace KL_VRXHid {

using namespace KL_VRXOS;

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
    TransportStatus& status = TransportState().lastTransportStatus;
    status = LoadHidApi();
    if (status != TransportStatus::Success)
        return status;
    // An enumeration failure does not stop the open: a unit whose path was
    // read opens even when another interface could not be read.
    status = EnumerateHidPaths();
    const std::string text = MatchText(vendorId, productId);
    if (index >= CountMatchingPaths(text))
        return status = TransportStatus::IndexOutOfRange;
    std::string path;
    status = GetMatchingPath(path, text, index);
    if (status != TransportStatus::Success)
        return status;
    status = OpenDevicePath(path);
    if (status != TransportStatus::Success)
        return status;
    status = ReadReportLengths();
    if (status != TransportStatus::Success)
        CloseAndForgetLengths();
    return status;
}

TransportStatus THIDDevice::OpenDevicePath(std::string path) {
    CloseDevice();
    auto& os = Os();
    handle = os.CreateFileA(path.c_str(), GenericRead | GenericWrite,
                            FileShareRead | FileShareWrite, nullptr, OpenExisting, 0, nullptr);
    const bool opened = handle != InvalidHandleValue;
    if (!opened)
        TransportState().lastApiError = os.GetLastError();
    // Every open is dumped with its header, whatever the dump flag says, so
    // the file shows where each session on a unit began.
    if (logger) {
        logger->AddRecord((opened ? "***Succeeded trying to open device at path: "
                                  : "***Failed trying to open device at path: ") +
                          path);
        logger->Dump(true);
    }
    return opened ? TransportStatus::Success : TransportStatus::DeviceNotFound;
}

TransportStatus THIDDevice::ReadReportLengths() {
    if (handle == InvalidHandleValue)
        return TransportStatus::Success;
    // Callers bind first; binding here only keeps a stray call from reaching
    // an entry point that was never looked up.
    if (!IsHidApiBound() && LoadHidApi() != TransportStatus::Success)
        return TransportStatus::DeviceNotFound;
    auto& os = Os();
    TTransportState& state = TransportState();
    const THidApi& api = state.hidApi;
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
    } else {
        state.lastApiError = os.GetLastError();
        status = TransportStatus::DeviceNotFound;
    }
    api.HidD_FreePreparsedData(preparsed);
    return status;
}

void THIDDevice::CloseDevice() {
    if (handle == InvalidHandleValue)
        return;
    if (logger) {
        logger->AddRecord("***Device Closed.");
        logger->Dump(logDumpFlag != 0);
    }
    Os().CloseHandle(handle);
    handle = InvalidHandleValue;
}

void THIDDevice::CloseAndForgetLengths() {
    CloseDevice();
    inputReportLength = 0;
    outputReportLength = 0;
}

bool THIDDevice::IsOpen() const {
    return handle != InvalidHandleValue;
}

void THIDDevice::SwitchLog(bool on) {
    // A logger whose file did not open is kept all the same: the transfers
    // then fail with LogFileFailed instead of running unrecorded.
    if (on && !logger)
        logger = std::make_unique<KL_VRXLog::TLogger>(logPath);
    else if (!on)
        logger.reset();
}

TransportStatus CheckDevice(const THIDDevice* device) {
    TransportStatus& status = TransportState().lastTransportStatus;
    status = LoadHidApi();
    if (status != TransportStatus::Success)
        return status;
    if (device == nullptr || !device->IsOpen())
        return status = TransportStatus::DeviceNotOpen;
    return status;
}

TransportStatus ReleasedDevice() {
    return TransportState().lastTransportStatus = TransportStatus::DeviceNotOpen;
}

}  // namespace KL_VRXHid
