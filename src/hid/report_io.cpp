// THIDDevice's report output and input, with their log records. The report
// goes through the device's own buffers, sized when the unit opened, and each
// record is formatted straight into the logger's chunk: a transfer allocates
// nothing, with or without the log.
#include <algorithm>
#include <cstring>

#include "hid/hid_binding.h"
#include "hid/hid_device.h"
#include "hid/unit_handle.h"
#include "log/logger.h"
#include "os/os.h"

namespace KL_VRXHid {

using namespace KL_VRXOS;
using KL_VRXLog::TLogger;
using KL_VRXLog::TLogLine;

namespace {

// After each record of a successful step: straight to the file unless the
// device holds its records back for the next failure.
void PromptDump(TLogger& logger, uint8_t logDumpFlag) {
    if (logDumpFlag == 0)
        logger.Dump(false);
}

// After a failure record: with a header when records were held back, so the
// burst of history stands apart in the file.
void FailureDump(TLogger& logger, uint8_t logDumpFlag) {
    logger.Dump(logDumpFlag != 0);
}

// The record of a failed transfer. verb is "Send"/"Read", unit
// "written"/"read"; the report's bytes show as characters, up to the first
// zero byte and never past the count (nor the report's size).
void AddFailureRecord(TLogger& logger, const char* verb, const char* unit, uint32_t error,
                      uint32_t count, const uint8_t* report, uint32_t size) {
    logger.Record([&](TLogLine& line) {
        line << "    " << verb << " failed. WinAPI Err: " << static_cast<int32_t>(error);
        if (count == 0)
            line << "    No bytes " << unit << ".";
        else
            line << "    " << count << "    bytes " << unit << ": "
                 << TLogLine::RawText{report, std::min(count, size)};
    });
}

}  // namespace

TransportStatus THIDDevice::WriteReport(const uint8_t* data, uint32_t& length) {
    auto& apiError = TransportState().lastApiError;
    // This transfer's own reference (it shadows the member on purpose): the
    // log switched off meanwhile from another thread stays alive until the
    // transfer is done with it.
    const std::shared_ptr<TLogger> logger = Logger();
    // What WriteFile itself would answer to bytes that are not there.
    if (data == nullptr && length > 0) {
        apiError = ErrorInvalidParameter;
        return TransportStatus::SendFailed;
    }
    if (logger) {
        const auto attempt = logger->Record([&](TLogLine& line) {
            line << " Attempting to send to device: ";
            if (length == 0)
                line << "Empty Buffer";
            else
                line << TLogLine::Hex{data, length};
        });
        if (attempt != KL_VRXLog::LogStatus::Success)
            return TransportStatus::LogFileFailed;
        PromptDump(*logger, logDumpFlag);
    }
    if (length > outputReportLength)
        return TransportStatus::SendFailed;

    uint8_t* const report = outputReport.Zeroed(outputReportLength);
    if (length > 0)
        std::memcpy(report, data, length);
    auto& os = Os();
    if (os.WriteFile(handle, report, outputReportLength, &length, nullptr)) {
        if (logger) {
            logger->Record([&](TLogLine& line) {
                line << "    Send succeeded. Bytes read by device: " << length;
            });
            PromptDump(*logger, logDumpFlag);
        }
        return TransportStatus::Success;
    }
    const uint32_t error = apiError = os.GetLastError();
    if (error == ErrorDeviceNotConnected && unit)
        unit->Retire();
    if (logger) {
        AddFailureRecord(*logger, "Send", "written", error, length, report, outputReportLength);
        FailureDump(*logger, logDumpFlag);
    }
    return TransportStatus::SendFailed;
}

TransportStatus THIDDevice::ReadReport(uint8_t* buffer, uint32_t& length) {
    auto& apiError = TransportState().lastApiError;
    const std::shared_ptr<TLogger> logger = Logger();  // as in WriteReport
    if (buffer == nullptr && length > 0) {
        apiError = ErrorInvalidParameter;
        return TransportStatus::ReadFailed;
    }
    if (logger) {
        if (logger->AddRecord(" Attempting to read from device: ") != KL_VRXLog::LogStatus::Success)
            return TransportStatus::LogFileFailed;
        PromptDump(*logger, logDumpFlag);
    }

    uint8_t* const received = inputReport.Zeroed(inputReportLength);
    if (length > 0)
        std::memset(buffer, 0, length);
    uint32_t count = 0;
    auto& os = Os();
    if (os.ReadFile(handle, received, inputReportLength, &count, nullptr)) {
        // The count comes from the system; the copy never trusts it further
        // than the receive buffer or the caller's buffer.
        const size_t copied = std::min<size_t>({length, count, inputReportLength});
        if (copied > 0)
            std::memcpy(buffer, received, copied);
        length = count;
        if (count == 0)
            return TransportStatus::Success;
        if (logger) {
            logger->Record([&](TLogLine& line) {
                line << "    Read succeeded. Bytes read by device: " << count
                     << " Buffer: " << TLogLine::Hex{received, std::min(count, inputReportLength)};
            });
            PromptDump(*logger, logDumpFlag);
        }
        return TransportStatus::Success;
    }
    length = count;
    const uint32_t error = apiError = os.GetLastError();
    if (error == ErrorDeviceNotConnected && unit)
        unit->Retire();
    if (logger) {
        AddFailureRecord(*logger, "Read", "read", error, count, received, inputReportLength);
        FailureDump(*logger, logDumpFlag);
    }
    return TransportStatus::ReadFailed;
}

TransportStatus THIDDevice::SendReport(const uint8_t* data, uint32_t& length) {
    auto& status = TransportState().lastTransportStatus;
    if (TransportStatus bound = status = LoadHidApi(); bound != TransportStatus::Success)
        return bound;
    if (handle == InvalidHandleValue)
        return status = TransportStatus::DeviceNotOpen;
    if (length > outputReportLength)
        return status = TransportStatus::InvalidBufferLength;
    return status = WriteReport(data, length);
}

TransportStatus THIDDevice::ReceiveReport(uint8_t* buffer, uint32_t& length) {
    auto& status = TransportState().lastTransportStatus;
    if (TransportStatus bound = status = LoadHidApi(); bound != TransportStatus::Success)
        return bound;
    if (handle == InvalidHandleValue)
        return status = TransportStatus::DeviceNotOpen;
    if (length != inputReportLength)
        return status = TransportStatus::InvalidBufferLength;
    return status = ReadReport(buffer, length);
}

}  // namespace KL_VRXHid
