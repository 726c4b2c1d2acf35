// Device handles and report I/O on the emulated bus, failing the way
// Windows' HID class driver fails:
//   - a write of 0 bytes or more bytes than the output report length: 1784
//     (ERROR_INVALID_USER_BUFFER); fewer bytes: 87 (ERROR_INVALID_PARAMETER);
//   - a read buffer smaller than the input report length: 1784;
//   - I/O on a handle whose device was unplugged or re-enumerated: 1167;
//   - opening a mouse or keyboard for reading or writing: 5.
// Unlike Windows, a read with nothing queued returns at once with 0 bytes,
// so the library's polling runs on virtual time. Past those checks a unit's
// reply source, when set, decides each write and read; otherwise its link
// switches do.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "emulator/bus_core.h"

namespace KL_VRXEmu::Detail {

using namespace KL_VRXOS;

namespace {

std::string Lower(const char* text) {
    std::string out;
    for (const char* p = text; *p != '\0'; ++p)
        out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(*p))));
    return out;
}

}  // namespace

HANDLE TBusCore::CreateFileA(const char* fileName, uint32_t desiredAccess, uint32_t /*shareMode*/,
                             void* /*securityAttributes*/, uint32_t /*creationDisposition*/,
                             uint32_t /*flagsAndAttributes*/, HANDLE /*templateFile*/) {
    std::lock_guard<std::mutex> lock(mutex);
    ++calls.createFile;
    if (fileName == nullptr)
        return FailInvalidHandle(ErrorPathNotFound);
    const std::string path = Lower(fileName);  // device paths are not case-sensitive
    const auto found = std::find_if(interfaces.begin(), interfaces.end(),
                                    [&](const TInterface& i) { return i.path == path; });
    if (found == interfaces.end())
        return FailInvalidHandle(ErrorFileNotFound);
    const bool readWrite = (desiredAccess & (GenericRead | GenericWrite)) != 0;
    // Windows keeps mice and keyboards to itself; an attribute-only open works.
    if (found->unit == nullptr && readWrite)
        return FailInvalidHandle(ErrorAccessDenied);
    const uintptr_t key = nextKey;
    nextKey += 8;
    THandle& opened = handles[key];
    opened.instance = found->instance;
    opened.readWrite = readWrite;
    return reinterpret_cast<HANDLE>(key);
}

TEmulatedUnit* TBusCore::IoUnitLocked(HANDLE file, const void* buffer, const uint32_t* count,
                                      uint32_t& error) const {
    bool readWrite = false;
    const TInterface* found = ResolveLocked(file, readWrite, error);
    if (found == nullptr)
        return nullptr;
    if (buffer == nullptr || count == nullptr) {
        error = ErrorInvalidParameter;
        return nullptr;
    }
    if (found->unit == nullptr || !readWrite) {
        error = ErrorAccessDenied;
        return nullptr;
    }
    return found->unit;
}

namespace {

// What the unit's link switches make of a write and a read while no reply
// source decides them.
TWriteOutcome SwitchedWrite(const TUnitFirmware& f) {
    if (f.writeError != 0)
        return TWriteOutcome{f.writeError, f.writeErrorBytes, false};
    if (f.writesZeroBytes)
        return TWriteOutcome{0, 0u, false};
    return TWriteOutcome{};
}

// What one read delivers, pointing into the reply queue or a source's outcome
// (so a plain read copies nothing on the way).
struct TReadView {
    uint32_t error = 0;
    const std::vector<uint8_t>* bytes = nullptr;  // null: nothing delivered
    bool keepQueuedReply = true;
};

TReadView SwitchedRead(TUnitFirmware& f, const TReportQueue& inbox) {
    TReadView view;
    if (f.readError != 0) {
        view.error = f.readError;
    } else if (f.emptyReads > 0) {
        --f.emptyReads;
    } else if (!f.silent && !inbox.empty()) {
        view.bytes = &inbox.front();
        view.keepQueuedReply = false;
    }
    return view;
}

}  // namespace

BOOL TBusCore::WriteFile(HANDLE file, const void* buffer, uint32_t bytesToWrite,
                         uint32_t* bytesWritten, void* /*overlapped*/) {
    uint32_t latency = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        ++calls.writeFile;
        if (bytesWritten != nullptr)
            *bytesWritten = 0;
        uint32_t error = 0;
        TEmulatedUnit* const target = IoUnitLocked(file, buffer, bytesWritten, error);
        if (target == nullptr)
            return Fail(error);
        TEmulatedUnit& unit = *target;
        TUnitFirmware& f = *unit.firmware;
        if (bytesToWrite == 0 || bytesToWrite > f.outputLength)
            return Fail(ErrorInvalidUserBuffer);
        if (bytesToWrite < f.outputLength)
            return Fail(ErrorInvalidParameter);
        const auto* report = static_cast<const uint8_t*>(buffer);
        const TWriteOutcome outcome =
            f.replySource != nullptr
                ? f.replySource->OnWrite(std::vector<uint8_t>(report, report + bytesToWrite))
                : SwitchedWrite(f);
        if (outcome.delivered &&
            f.Receive(report, bytesToWrite, NowLocked()) == TUnitFirmware::TEffect::Reenumerate)
            Reenumerate(unit);
        DeliverLocked(f);
        *bytesWritten = std::min(
            outcome.bytesWritten.value_or(outcome.error == 0 ? bytesToWrite : 0), bytesToWrite);
        if (outcome.error != 0)
            return Fail(outcome.error);
        AdvanceLocked(reportLatency);
        latency = reportLatency;
    }
    RealSleep(latency);
    return 1;
}

BOOL TBusCore::ReadFile(HANDLE file, void* buffer, uint32_t bytesToRead, uint32_t* bytesRead,
                        void* /*overlapped*/) {
    uint32_t latency = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        ++calls.readFile;
        if (bytesRead != nullptr)
            *bytesRead = 0;
        uint32_t error = 0;
        TEmulatedUnit* const target = IoUnitLocked(file, buffer, bytesRead, error);
        if (target == nullptr)
            return Fail(error);
        TUnitFirmware& f = *target->firmware;
        if (bytesToRead < f.inputLength)
            return Fail(ErrorInvalidUserBuffer);
        TReportQueue& inbox = handles.at(Key(file)).inbox;
        const std::vector<uint8_t>* queued = inbox.empty() ? nullptr : &inbox.front();
        TReadOutcome sourced;
        TReadView view;
        if (f.replySource != nullptr) {
            sourced = f.replySource->OnRead(queued, bytesToRead);
            view = {sourced.error, &sourced.bytes, sourced.keepQueuedReply};
        } else {
            view = SwitchedRead(f, inbox);
        }
        // Copied before the queue lets go of the reply it may point into.
        const size_t count =
            view.bytes == nullptr ? 0 : std::min<size_t>(view.bytes->size(), bytesToRead);
        if (count > 0)
            std::memcpy(buffer, view.bytes->data(), count);
        if (queued != nullptr && !view.keepQueuedReply)
            inbox.pop_front();
        *bytesRead = static_cast<uint32_t>(count);
        if (view.error != 0)
            return Fail(view.error);
        AdvanceLocked(reportLatency);
        latency = reportLatency;
    }
    RealSleep(latency);
    return 1;
}

void TBusCore::DeliverLocked(TUnitFirmware& f) {
    for (; !f.replies.empty(); f.replies.pop_front()) {
        const std::vector<uint8_t>& reply = f.replies.front();
        for (auto& [key, open] : handles)
            if (open.readWrite && open.instance == f.instance)
                std::copy(reply.begin(), reply.end(),
                          open.inbox.emplace_back(reply.size()).begin());
    }
}

// A handle whose device is gone still closes, as on Windows.
BOOL TBusCore::CloseHandle(HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex);
    ++calls.closeHandle;
    if (handles.erase(Key(handle)) == 0)
        return Fail(ErrorInvalidHandle);
    return 1;
}

}  // namespace KL_VRXEmu::Detail
