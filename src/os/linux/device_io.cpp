// Opening hidraw nodes and moving reports through them in Windows' framing.
//
// Windows hands out every input report as InputReportByteLength bytes with
// the report ID first (0 on devices without numbered reports), and takes
// every output report the same way. hidraw's read() gives the report ID only
// when reports are numbered, so a 0 is put in front otherwise. Its write()
// wants the report ID first in every case (0 for unnumbered reports; the
// driver drops it before the transfer), so output reports go out unchanged.
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "os/linux/device_table.h"
#include "os/linux/errno_map.h"
#include "os/linux/hidraw_nodes.h"
#include "os/linux/linux_os.h"
#include "os/linux/report_descriptor.h"

namespace KL_VRXOS {

namespace {

BOOL Fail(uint32_t error) {
    SetThreadLastError(error);
    return 0;
}

std::optional<std::vector<uint8_t>> ReadDescriptorIoctl(int fd) {
    int size = 0;
    if (ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size < 0 || size > HID_MAX_DESCRIPTOR_SIZE)
        return std::nullopt;
    hidraw_report_descriptor descriptor{};
    descriptor.size = static_cast<uint32_t>(size);
    if (ioctl(fd, HIDIOCGRDESC, &descriptor) < 0)
        return std::nullopt;
    return std::vector<uint8_t>(descriptor.value, descriptor.value + size);
}

std::string ReadRawName(int fd) {
    char name[256] = {};
    const int length = ioctl(fd, HIDIOCGRAWNAME(sizeof name - 1), name);
    return length > 0 ? std::string(name) : std::string();
}

}  // namespace

HANDLE TLinuxOs::CreateFileA(const char* fileName, uint32_t, uint32_t, void*, uint32_t, uint32_t,
                             HANDLE) {
    if (fileName == nullptr) {
        SetThreadLastError(ErrorPathNotFound);
        return InvalidHandleValue;
    }
    const auto number = NodeFromWindowsPath(fileName);
    if (!number) {
        SetThreadLastError(ErrorFileNotFound);
        return InvalidHandleValue;
    }
    const std::string node = devRoot + "/hidraw" + std::to_string(*number);
    const int fd = ::open(node.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        SetThreadLastError(WindowsErrorFromErrno(errno));
        return InvalidHandleValue;
    }
    auto device = std::make_shared<TDevice>(fd, ReadRawName(fd));
    auto descriptor = ReadSysfsReportDescriptor(sysRoot, *number);
    if (!descriptor)
        descriptor = ReadDescriptorIoctl(fd);
    if (descriptor) {
        const TReportDescriptorInfo info =
            ParseReportDescriptor(descriptor->data(), descriptor->size());
        const TCollectionLengths lengths = NodeLengths(info);
        device->lengthsKnown = true;
        device->numbered = info.numbered;
        device->usagePage = lengths.usagePage;
        device->usage = lengths.usage;
        device->inputLength = lengths.inputLength;
        device->outputLength = lengths.outputLength;
        device->featureLength = lengths.featureLength;
    }
    return AddDevice(std::move(device));
}

HANDLE TLinuxOs::AdoptDescriptor(int fd, uint16_t inputLength, uint16_t outputLength,
                                 bool numbered) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    auto device = std::make_shared<TDevice>(fd, std::string());
    device->lengthsKnown = true;
    device->numbered = numbered;
    device->inputLength = inputLength;
    device->outputLength = outputLength;
    return AddDevice(std::move(device));
}

// One wait and one read() straight into the caller's buffer: nothing is
// allocated, and the descriptor (non-blocking) never holds the thread past
// the slice. A node whose device has gone polls readable and its read fails
// (EIO); a socket peer that has gone reads end of file. Both are 1167.
BOOL TLinuxOs::ReadFile(HANDLE file, void* buffer, uint32_t bytesToRead, uint32_t* bytesRead,
                        void*) {
    if (bytesRead != nullptr)
        *bytesRead = 0;
    const auto device = FindDevice(file);
    if (!device)
        return Fail(ErrorInvalidHandle);
    if (buffer == nullptr || bytesRead == nullptr)
        return Fail(ErrorInvalidParameter);
    if (device->lengthsKnown) {
        if (device->inputLength == 0)
            return Fail(ErrorInvalidFunction);
        // Windows refuses a buffer that cannot hold a whole report.
        if (bytesToRead < device->inputLength)
            return Fail(ErrorInvalidUserBuffer);
    }
    const size_t length = device->lengthsKnown ? device->inputLength : bytesToRead;

    pollfd ready{device->fd, POLLIN, 0};
    const int polled = ::poll(&ready, 1, readSliceMs);
    // No report within the slice, or a signal cut the wait short: an empty
    // read, as the caller polls again anyway.
    if (polled == 0 || (polled < 0 && errno == EINTR))
        return 1;
    if (polled < 0)
        return Fail(WindowsErrorFromErrno(errno));

    // hidraw cuts a longer report to the room given and drops the rest. The
    // report ID byte Windows puts first is 0 on a device without numbered
    // reports, and read() leaves it out.
    auto* const out = static_cast<uint8_t*>(buffer);
    const size_t idBytes = device->numbered ? 0 : 1;
    const size_t room = length > idBytes ? length - idBytes : 0;
    uint8_t spill = 0;  // where a report lands that the buffer has no room for
    ssize_t got;
    do {
        got = room > 0 ? ::read(device->fd, out + idBytes, room) : ::read(device->fd, &spill, 1);
    } while (got < 0 && errno == EINTR);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return 1;  // another reader of the handle took the report
    if (got < 0)
        return Fail(WindowsErrorFromErrno(errno));
    // End of file: the node (or a test's peer) has gone away.
    if (got == 0)
        return Fail(ErrorDeviceNotConnected);
    const size_t framed = std::min((room > 0 ? static_cast<size_t>(got) : 0) + idBytes, length);
    if (idBytes != 0 && length > 0)
        out[0] = 0;
    // Windows gives every report at the full length: a short one is padded.
    if (device->lengthsKnown)
        std::memset(out + framed, 0, length - framed);
    *bytesRead = static_cast<uint32_t>(device->lengthsKnown ? length : framed);
    return 1;
}

BOOL TLinuxOs::WriteFile(HANDLE file, const void* buffer, uint32_t bytesToWrite,
                         uint32_t* bytesWritten, void*) {
    if (bytesWritten != nullptr)
        *bytesWritten = 0;
    const auto device = FindDevice(file);
    if (!device)
        return Fail(ErrorInvalidHandle);
    if (buffer == nullptr || bytesWritten == nullptr)
        return Fail(ErrorInvalidParameter);
    // Windows' HID class driver: nothing, or more than a report, is a bad
    // buffer; less than a whole report is a bad parameter.
    if (bytesToWrite == 0 || (device->lengthsKnown && bytesToWrite > device->outputLength))
        return Fail(ErrorInvalidUserBuffer);
    if (device->lengthsKnown && bytesToWrite < device->outputLength)
        return Fail(ErrorInvalidParameter);
    // hidraw takes the whole report in one write() and sends it before it
    // returns (O_NONBLOCK does not apply to its writes).
    ssize_t sent;
    do {
        sent = ::write(device->fd, buffer, bytesToWrite);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0)
        return Fail(WindowsErrorFromErrno(errno));
    *bytesWritten = bytesToWrite;
    return 1;
}

BOOL TLinuxOs::CloseHandle(HANDLE handle) {
    if (!RemoveDevice(handle))
        return Fail(ErrorInvalidHandle);
    return 1;
}

}  // namespace KL_VRXOS
