#include "hid/report_io.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "hid/hid_api.h"
#include "log/logger.h"
#include "os/os.h"

using namespace KL_VRXOS;

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
void PromptDump(THIDDevice& device) {
    if (device.logDumpFlag == 0)
        device.logger->Dump(false);
}

// After a failure record: with a header when records were held back, so the
// burst of history stands apart in the file.
void FailureDump(THIDDevice& device) {
    device.logger->Dump(device.logDumpFlag != 0);
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

TransportStatus WriteReport(THIDDevice& device, const uint8_t* data, uint32_t& length) {
    // What WriteFile itself would answer to bytes that are not there.
    if (data == nullptr && length > 0) {
        LastApiError = ErrorInvalidParameter;
        return TransportStatus::SendFailed;
    }
    if (device.logger) {
        std::string record = " Attempting to send to device: ";
        record += length == 0 ? "Empty Buffer" : HexList(data, length);
        if (device.logger->AddRecord(std::move(record)) != 0)
            return TransportStatus::LogFileFailed;
        PromptDump(device);
    }
    if (length > device.outputReportLength)
        return TransportStatus::SendFailed;

    std::vector<uint8_t> report(device.outputReportLength, 0);
    if (length > 0)
        std::memcpy(report.data(), data, length);
    auto& os = Os();
    if (os.WriteFile(device.handle, report.data(), device.outputReportLength, &length, nullptr)) {
        if (device.logger) {
            device.logger->AddRecord("    Send succeeded. Bytes read by device: " +
                                     std::to_string(length));
            PromptDump(device);
        }
        return TransportStatus::Success;
    }
    LastApiError = os.GetLastError();
    if (device.logger) {
        device.logger->AddRecord(FailureRecord("Send", "written", LastApiError, length, report));
        FailureDump(device);
    }
    return TransportStatus::SendFailed;
}

TransportStatus ReadReport(THIDDevice& device, uint8_t* buffer, uint32_t& length) {
    if (buffer == nullptr && length > 0) {
        LastApiError = ErrorInvalidParameter;
        return TransportStatus::ReadFailed;
    }
    if (device.logger) {
        if (device.logger->AddRecord(" Attempting to read from device: ") != 0)
            return TransportStatus::LogFileFailed;
        PromptDump(device);
    }

    std::vector<uint8_t> received(device.inputReportLength, 0);
    if (length > 0)
        std::memset(buffer, 0, length);
    uint32_t count = 0;
    auto& os = Os();
    if (os.ReadFile(device.handle, received.data(), device.inputReportLength, &count, nullptr)) {
        // The count comes from the system; the copy never trusts it further
        // than the receive buffer or the caller's buffer.
        const size_t copied = std::min<size_t>({length, count, received.size()});
        if (copied > 0)
            std::memcpy(buffer, received.data(), copied);
        length = count;
        if (count == 0)
            return TransportStatus::Success;
        if (device.logger) {
            device.logger->AddRecord(
                "    Read succeeded. Bytes read by device: " + std::to_string(count) + " Buffer: " +
                HexList(received.data(), std::min<uint32_t>(count, device.inputReportLength)));
            PromptDump(device);
        }
        return TransportStatus::Success;
    }
    length = count;
    LastApiError = os.GetLastError();
    if (device.logger) {
        device.logger->AddRecord(FailureRecord("Read", "read", LastApiError, count, received));
        FailureDump(device);
    }
    return TransportStatus::ReadFailed;
}

TransportStatus SendReport(THIDDevice& device, const uint8_t* data, uint32_t& length) {
    LastTransportStatus = LoadHidApi();
    if (LastTransportStatus != TransportStatus::Success)
        return LastTransportStatus;
    if (device.handle == InvalidHandleValue)
        return LastTransportStatus = TransportStatus::DeviceNotOpen;
    if (length > device.outputReportLength)
        return LastTransportStatus = TransportStatus::InvalidBufferLength;
    return LastTransportStatus = WriteReport(device, data, length);
}

TransportStatus ReceiveReport(THIDDevice& device, uint8_t* buffer, uint32_t& length) {
    LastTransportStatus = LoadHidApi();
    if (LastTransportStatus != TransportStatus::Success)
        return LastTransportStatus;
    if (device.handle == InvalidHandleValue)
        return LastTransportStatus = TransportStatus::DeviceNotOpen;
    if (length != device.inputReportLength)
        return LastTransportStatus = TransportStatus::InvalidBufferLength;
    return LastTransportStatus = ReadReport(device, buffer, length);
}
