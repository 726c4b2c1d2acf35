#include "umockdev/hidraw_node.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

#include "umockdev/fake_unit.h"
#include "umockdev/hidraw_testbed.h"

namespace KL_VRXTest {

namespace {

// The kernel's HID_MAX_BUFFER_SIZE: hidraw refuses longer writes.
constexpr size_t MaxReport = 16384;

// A byte written to a pty shows on its other end within microseconds; a
// second is a fault of the fake, not a slow machine.
constexpr int TokenWaitMs = 1000;

struct TDataUnref {
    void operator()(UMockdevIoctlData* data) const { g_object_unref(data); }
};
using TData = std::unique_ptr<UMockdevIoctlData, TDataUnref>;

// The caller's memory that an ioctl argument points to, copied here and
// written back when the call completes.
TData Resolve(UMockdevIoctlData* arg, size_t length) {
    return TData(umockdev_ioctl_data_resolve(arg, 0, length, nullptr));
}

// The request with its size field cleared, for ioctls sized by the caller.
constexpr unsigned long Unsized(unsigned long request) {
    return request & ~(static_cast<unsigned long>(_IOC_SIZEMASK) << _IOC_SIZESHIFT);
}

THidrawNode& Node(gpointer self) {
    return *static_cast<THidrawNode*>(self);
}

}  // namespace

THidrawNode::THidrawNode(THidrawTestbed& bed, TFakeUnit* unit, TNodeIdentity identity, int master)
    : bed(bed),
      unit(unit),
      identity(std::move(identity)),
      handler(umockdev_ioctl_base_new()),
      master(master) {
    if (master >= 0)
        peer = ioctl(master, TIOCGPTPEER, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (peer < 0)
        bed.ProblemLocked(Name() + " has no pty to poll on");
    g_signal_connect(handler, "handle-ioctl", G_CALLBACK(OnIoctl), this);
    g_signal_connect(handler, "handle-read", G_CALLBACK(OnRead), this);
    g_signal_connect(handler, "handle-write", G_CALLBACK(OnWrite), this);
    g_signal_connect(handler, "client-connected", G_CALLBACK(OnOpened), this);
}

THidrawNode::~THidrawNode() {
    g_signal_handlers_disconnect_by_data(handler, this);
    g_object_unref(handler);
    if (peer >= 0)
        close(peer);
}

gboolean THidrawNode::OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    THidrawNode& node = Node(self);
    std::lock_guard<std::mutex> lock(node.bed.mutex);
    TResult result;
    if (!node.IoctlLocked(umockdev_ioctl_client_get_request(client),
                          umockdev_ioctl_client_get_arg(client), result))
        return FALSE;
    umockdev_ioctl_client_complete(client, result.first, result.second);
    return TRUE;
}

gboolean THidrawNode::OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    return Node(self).Transfer(client, false);
}

gboolean THidrawNode::OnWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    return Node(self).Transfer(client, true);
}

gboolean THidrawNode::Transfer(UMockdevIoctlClient* client, bool write) {
    UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
    const size_t length = static_cast<size_t>(std::max(buffer->data_len, 0));
    std::lock_guard<std::mutex> lock(bed.mutex);
    const TResult result =
        write ? WriteLocked(buffer->data, length) : ReadLocked(buffer->data, length);
    umockdev_ioctl_client_complete(client, result.first, result.second);
    return TRUE;
}

// Each open file of a hidraw node has a report queue of its own, empty at
// the open.
void THidrawNode::OnOpened(UMockdevIoctlBase*, UMockdevIoctlClient*, gpointer self) {
    THidrawNode& node = Node(self);
    std::lock_guard<std::mutex> lock(node.bed.mutex);
    ++node.opens;
    if (node.unit == nullptr)
        node.bed.ProblemLocked("the host opened " + node.Name() + ", a " + node.identity.name);
    else if (!node.gone)
        node.unit->NewOpenLocked();
    node.UpdateReadinessLocked();
}

bool THidrawNode::IoctlLocked(unsigned long request, UMockdevIoctlData* arg, TResult& result) {
    const bool nameRequest = Unsized(request) == Unsized(HIDIOCGRAWNAME(0));
    size_t argSize = 0;
    if (request == HIDIOCGRDESCSIZE)
        argSize = sizeof(int);
    else if (request == HIDIOCGRDESC)
        argSize = sizeof(hidraw_report_descriptor);
    else if (request == HIDIOCGRAWINFO)
        argSize = sizeof(hidraw_devinfo);
    else if (nameRequest)
        argSize = _IOC_SIZE(request);
    else
        return false;
    if (gone) {
        result = {-1, ENODEV};
        return true;
    }
    if (argSize == 0) {  // a name request with no room
        result = {0, 0};
        return true;
    }
    const TData data = Resolve(arg, argSize);
    if (!data) {
        result = {-1, EFAULT};
        return true;
    }
    const std::vector<uint8_t>& descriptor = identity.descriptor;
    result = {0, 0};
    if (request == HIDIOCGRDESCSIZE) {
        *reinterpret_cast<int*>(data->data) = static_cast<int>(descriptor.size());
    } else if (request == HIDIOCGRDESC) {
        auto* out = reinterpret_cast<hidraw_report_descriptor*>(data->data);
        if (out->size > HID_MAX_DESCRIPTOR_SIZE - 1)
            result = {-1, EINVAL};
        else
            std::copy_n(descriptor.begin(), std::min<size_t>(out->size, descriptor.size()),
                        out->value);
    } else if (request == HIDIOCGRAWINFO) {
        auto* info = reinterpret_cast<hidraw_devinfo*>(data->data);
        info->bustype = 3;  // BUS_USB
        info->vendor = static_cast<int16_t>(identity.vendorId);
        info->product = static_cast<int16_t>(identity.productId);
    } else {
        // The name, cut to the caller's room; the result is the bytes copied.
        const size_t length = std::min(identity.name.size() + 1, argSize);
        std::memcpy(data->data, identity.name.c_str(), length);
        result = {static_cast<long>(length), 0};
    }
    return true;
}

THidrawNode::TResult THidrawNode::ReadLocked(uint8_t* buffer, size_t capacity) {
    if (gone)
        return {-1, EIO};
    if (unit == nullptr) {
        bed.ProblemLocked("the host read from " + Name() + ", a " + identity.name);
        return {-1, EIO};
    }
    // A blocking read here would wait for ever; failing it keeps the test
    // from hanging, and the problem fails it.
    if (!unit->HasReportLocked()) {
        bed.ProblemLocked("the host read from " + Name() +
                          " with no input report queued, which blocks a real hidraw read "
                          "until the unit sends one");
        return {-1, EIO};
    }
    const std::vector<uint8_t> report = unit->NextReportLocked();
    const size_t count = std::min(report.size() - 1, capacity);
    std::copy_n(report.begin() + 1, count, buffer);
    UpdateReadinessLocked();
    return {static_cast<long>(count), 0};
}

THidrawNode::TResult THidrawNode::WriteLocked(const uint8_t* report, size_t length) {
    if (gone)
        return {-1, ENODEV};
    if (unit == nullptr) {
        bed.ProblemLocked("the host wrote to " + Name() + ", a " + identity.name);
        return {-1, EPIPE};
    }
    if (length < 2 || length > MaxReport)
        return {-1, EINVAL};
    TResult result{static_cast<long>(length), 0};
    switch (unit->TakeLocked(report, length)) {
        case TFakeUnit::TOutcome::Taken:
            break;
        case TFakeUnit::TOutcome::Reset:
            bed.ReplugLocked(*unit);
            break;
        case TFakeUnit::TOutcome::UnpluggedUntaken:
            bed.UnplugLocked(*unit);
            result = {-1, ENODEV};
            break;
        case TFakeUnit::TOutcome::UnpluggedAfterTaking:
            bed.UnplugLocked(*unit);
            break;
    }
    UpdateReadinessLocked();
    return result;
}

void THidrawNode::VanishLocked() {
    gone = true;
    UpdateReadinessLocked();
}

// hidraw polls readable while a report is queued, and for ever once the
// device is gone (the read then fails). The byte is seen on the node's end
// before the call that queued the report returns, as the report is in
// hidraw's queue by then.
void THidrawNode::UpdateReadinessLocked() {
    const bool ready = gone || (unit != nullptr && unit->HasReportLocked());
    if (ready == readable)
        return;
    uint8_t token = 1;
    pollfd arrived{peer, POLLIN, 0};
    const bool done = ready ? write(master, &token, 1) == 1 && poll(&arrived, 1, TokenWaitMs) == 1
                            : poll(&arrived, 1, TokenWaitMs) == 1 && read(peer, &token, 1) == 1;
    if (!done)
        bed.ProblemLocked("could not mark " + Name() + (ready ? " readable" : " empty"));
    readable = ready;
}

}  // namespace KL_VRXTest
