// THIDDevice's report output and input, with their log records.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "hid/hid_binding.h"
#include "hid/hid_device.h"
#include "log/logger.h"
#include "os/os.h"

namespace KL_VRXHid {

using namespace KL_VRXOS;
using KL_VRXLog::TLogger;

namespace {

// "%02X " for each byte: the lists of the log records, each ending in a blank.
std::string HexList(const uint8_t* bytes, uint32_t count) {
    std::string text;
    text.reserve(count * 3u);
    char item[4];
    for (uint32_t i = 0; i < count; ++i) {
        std::snprintf(item, sizeof item, "%02X ", static_cast<unsigned>(bytes[i]));
        text += item;
    }
    return text;
}

// The report as characters, up to its first zero byte and never past the
// count just logged: what a failure record shows of the bytes.
std::string RawText(const std::vector<uint8_t>& report, uint32_t count) {
    const size_t limit = std::min<size_t>(count, report.size());
    const auto* begin = reinterpret_cast<const char*>(report.data());
    return std::string(begin, strnlen(begin, limit));
}

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

// The record of a failed transfer. verb is "Send"/"Read", unit "written"/"read".
std::string FailureRecord(const char* verb, const char* unit, uint32_t error, uint32_t count,
                          const std::vector<uint8_t>& report) {
    std::string text = std::string("    ") + verb +
                       " failed. WinAPI Err: " + std::to_string(static_cast<int32_t>(error));
    if (count == 0)
        return text + "    No bytes " + unit + ".";
    return text + "    " + std::to_string(count) + "    bytes " + unit + ": " +
           RawText(report, count);
}

}  // namespace

TransportStatus THIDDevice::WriteReport(const uint8_t* data, uint32_t& length) {
    uint32_t& apiError = TransportState().lastApiError;
    // What WriteFile itself would answer to bytes that are not there.
    if (data == nullptr && length > 0) {
        apiError = ErrorInvalidParameter;
        return TransportStatus::SendFailed;
    }
    if (logger) {
        std::string record = " Attempting to send to device: ";
        record += length == 0 ? "Empty Buffer" : HexList(data, length);
        if (logger->AddRecord(std::move(record)) != KL_VRXLog::LogStatus::Success)
            return TransportStatus::LogFileFailed;
        PromptDump(*logger, logDumpFlag);
    }
    if (length > outputReportLength)
        return TransportStatus::SendFailed;

    std::vector<uint8_t> report(outputReportLength, 0);
    if (length > 0)
        std::memcpy(report.data(), data, length);
    auto& os = Os();
    if (os.WriteFile(handle, report.data(), outputReportLength, &length, nullptr)) {
        if (logger) {
            logger->AddRecord("    Send succeeded. Bytes read by device: " +
                              std::to_string(length));
            PromptDump(*logger, logDumpFlag);
        }
        return TransportStatus::Success;
    }
    apiError = os.GetLastError();
    if (logger) {
        logger->AddRecord(FailureRecord("Send", "written", apiError, length, report));
        FailureDump(*logger, logDumpFlag);
    }
    return TransportStatus::SendFailed;
}

TransportStatus THIDDevice::ReadReport(uint8_t* buffer, uint32_t& length) {
    uint32_t& apiError = TransportState().lastApiError;
    if (buffer == nullptr && length > 0) {
        apiError = ErrorInvalidParameter;
        return TransportStatus::ReadFailed;
    }
    if (logger) {
        if (logger->AddRecord(" Attempting to read from device: ") != KL_VRXLog::LogStatus::Success)
            return TransportStatus::LogFileFailed;
        PromptDump(*logger, logDumpFlag);
    }

    std::vector<uint8_t> received(inputReportLength, 0);
    if (length > 0)
        std::memset(buffer, 0, length);
    uint32_t count = 0;
    auto& os = Os();
    if (os.ReadFile(handle, received.data(), inputReportLength, &count, nullptr)) {
        // The count comes from the system; the copy never trusts it further
        // than the receive buffer or the caller's buffer.
        const size_t copied = std::min<size_t>({length, count, received.size()});
        if (copied > 0)
            std::memcpy(buffer, received.data(), copied);
        length = count;
        if (count == 0)
            return TransportStatus::Success;
        if (logger) {
            logger->AddRecord(
                "    Read succeeded. Bytes read by device: " + std::to_string(count) + " Buffer: " +
                HexList(received.data(), std::min<uint32_t>(count, inputReportLength)));
            PromptDump(*logger, logDumpFlag);
        }
        return TransportStatus::Success;
    }
    length = count;
    apiError = os.GetLastError();
    if (logger) {
        logger->AddRecord(FailureRecord("Read", "read", apiError, count, received));
        FailureDump(*logger, logDumpFlag);
    }
    return TransportStatus::ReadFailed;
}

TransportStatus THIDDevice::SendReport(const uint8_t* data, uint32_t& length) {
    TransportStatus& status = TransportState().lastTransportStatus;
    status = LoadHidApi();
    if (status != TransportStatus::Success)
        return status;
    if (handle == InvalidHandleValue)
        return status = TransportStatus::DeviceNotOpen;
    if (length > outputReportLength)
        return status = TransportStatus::InvalidBufferLength;
    return status = WriteReport(data, length);
}

TransportStatus THIDDevice::ReceiveReport(uint8_t* buffer, uint32_t& length) {
    TransportStatus& status = TransportState().lastTransportStatus;
    status = LoadHidApi();
    if (status != TransportStatus::Success)
        return status;
    if (handle == InvalidHandleValue)
        return status = TransportStatus::DeviceNotOpen;
    if (length != inputReportLength)
        return status = TransportStatus::InvalidBufferLength;
    return status = ReadReport(buffer, length);
}

}  // namespace KL_VRXHid
