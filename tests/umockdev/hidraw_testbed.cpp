#include "umockdev/hidraw_testbed.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>

namespace KL_VRXTest {

using KL_VRXEmu::Detail::TUnitFirmware;

namespace {

constexpr uint16_t UnitVendorId = 0x3C5A;
// The kernel's HID_MAX_BUFFER_SIZE: hidraw refuses longer writes.
constexpr size_t MaxReport = 16384;
// A byte written to a pty shows on its other end within microseconds; a
// second is a fault of the fake, not a slow machine.
constexpr int TokenWaitMs = 1000;

// One vendor-defined collection (usage page 0xFF00, usage 1) of 8-bit
// fields 0 to 255: an input and an output report of length bytes each
// (report-ID byte included, as Windows counts them), no report IDs.
std::vector<uint8_t> UnitDescriptor(uint16_t length) {
    const auto count = static_cast<uint8_t>(length - 1);
    return {0x06, 0x00,  0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15,  0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
            0x95, count, 0x09, 0x01, 0x81, 0x02, 0x95, count, 0x09, 0x01, 0x91, 0x02, 0xC0};
}

// The unit's own identity, independent of what the library looks for.
uint16_t ProductId(const TUnitFirmware& firmware) {
    const bool first = firmware.launchMode == 2;
    if (firmware.family == 2)
        return first ? 0x0E58 : 0x0E57;
    return first ? 0x0E32 : 0x0E31;
}

std::string Format(const char* format, unsigned a, unsigned b = 0, unsigned c = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

}  // namespace

// One /dev/hidrawN. The node is a pty (umockdev's default for a device
// node), so poll() on it is real: one byte waits on the pty while a report
// is queued or the device is gone.
class THidrawNode {
  public:
    THidrawNode(THidrawTestbed& bed, TFakeUnit& unit, int master)
        : bed(bed), unit(unit), handler(umockdev_ioctl_base_new()), master(master) {
        if (peer < 0)
            bed.problems.push_back(Name() + " has no pty to poll on");
        g_signal_connect(handler, "handle-ioctl", G_CALLBACK(On<TCall::Ioctl>), this);
        g_signal_connect(handler, "handle-read", G_CALLBACK(On<TCall::Read>), this);
        g_signal_connect(handler, "handle-write", G_CALLBACK(On<TCall::Write>), this);
        g_signal_connect(handler, "client-connected", G_CALLBACK(OnOpened), this);
        g_signal_connect(handler, "client-vanished", G_CALLBACK(OnClosed), this);
    }
    ~THidrawNode() {
        g_signal_handlers_disconnect_by_data(handler, this);
        g_object_unref(handler);
        if (peer >= 0)
            close(peer);
    }

    UMockdevIoctlBase* Handler() const { return handler; }
    // The device has left the bus; open handles see it gone.
    void VanishLocked() {
        gone = true;
        UpdateReadinessLocked();
    }

  private:
    enum class TCall { Ioctl, Read, Write };
    // A call's result as the kernel returns it: a count, or -1 and errno.
    using TResult = std::pair<long, int>;

    std::string Name() const { return "hidraw" + std::to_string(number); }

    template <TCall call>
    static gboolean On(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        THidrawNode& node = *static_cast<THidrawNode*>(self);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        std::lock_guard<std::mutex> lock(node.bed.mutex);
        std::optional<TResult> result;
        const auto length = static_cast<size_t>(std::max(arg->data_len, 0));
        if (call == TCall::Ioctl)
            result = node.IoctlLocked(umockdev_ioctl_client_get_request(client), arg);
        else
            result = call == TCall::Read ? node.ReadLocked(client, arg->data, length)
                                         : node.WriteLocked(arg->data, length);
        if (!result)
            return FALSE;  // not a hidraw ioctl: umockdev fails it with ENOTTY
        umockdev_ioctl_client_complete(client, result->first, result->second);
        return TRUE;
    }

    // Each open file of a hidraw node has a report queue of its own, empty
    // at the open, and gets a copy of every report the unit sends while it
    // is open.
    static void OnOpened(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        THidrawNode& node = *static_cast<THidrawNode*>(self);
        std::lock_guard<std::mutex> lock(node.bed.mutex);
        if (!node.gone) {
            ++node.unit.state.opens;
            node.inboxes[client].clear();
        }
        node.UpdateReadinessLocked();
    }
    static void OnClosed(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
        THidrawNode& node = *static_cast<THidrawNode*>(self);
        std::lock_guard<std::mutex> lock(node.bed.mutex);
        node.inboxes.erase(client);
        node.UpdateReadinessLocked();
    }

    std::optional<TResult> IoctlLocked(unsigned long request, UMockdevIoctlData* arg) {
        size_t size = 0;
        if (request == HIDIOCGRDESCSIZE)
            size = sizeof(int);
        else if (request == HIDIOCGRDESC)
            size = sizeof(hidraw_report_descriptor);
        else
            return std::nullopt;
        if (gone)
            return TResult{-1, ENODEV};
        UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, size, nullptr);
        if (data == nullptr)
            return TResult{-1, EFAULT};
        if (request == HIDIOCGRDESCSIZE) {
            *reinterpret_cast<int*>(data->data) = static_cast<int>(descriptor.size());
        } else {
            auto* out = reinterpret_cast<hidraw_report_descriptor*>(data->data);
            std::copy_n(descriptor.begin(), std::min<size_t>(out->size, descriptor.size()),
                        out->value);
        }
        g_object_unref(data);
        return TResult{0, 0};
    }

    TResult ReadLocked(UMockdevIoctlClient* client, uint8_t* buffer, size_t capacity) {
        if (gone)
            return {-1, EIO};
        auto& replies = inboxes[client];
        // The node's pty is one for all its open files, so it polls readable
        // while any of them has a report; hidraw's read of a non-blocking
        // file with none of its own fails with EAGAIN.
        if (replies.empty() && readable)
            return {-1, EAGAIN};
        // A blocking read here would wait for ever; failing it keeps the
        // test from hanging, and the problem fails it.
        if (replies.empty()) {
            bed.problems.push_back("the host read from " + Name() +
                                   " with no input report queued, which blocks a real hidraw "
                                   "read until the unit sends one");
            return {-1, EIO};
        }
        const std::vector<uint8_t>& report = replies.front();
        const size_t count = std::min(report.size() - 1, capacity);
        std::copy_n(report.begin() + 1, count, buffer);
        replies.pop_front();
        UpdateReadinessLocked();
        return {static_cast<long>(count), 0};
    }

    TResult WriteLocked(const uint8_t* report, size_t length) {
        if (gone)
            return {-1, ENODEV};
        if (length < 2 || length > MaxReport)
            return {-1, EINVAL};
        TUnitState& state = unit.state;
        if (state.unplugOn == report[1]) {
            state.unplugOn.reset();
            bed.UnplugLocked(unit);
        }
        state.firmware.Receive(report, length, unit.clock.Now());
        if (state.firmware.silent || gone)
            state.firmware.replies.clear();
        for (auto& replies = state.firmware.replies; !replies.empty(); replies.pop_front())
            for (auto& [client, inbox] : inboxes)
                std::copy_n(replies.front().begin(), replies.front().size(),
                            inbox.emplace_back(replies.front().size()).begin());
        UpdateReadinessLocked();
        return {static_cast<long>(length), 0};
    }

    // hidraw polls readable while a report is queued, and for ever once the
    // device is gone (the read then fails). The byte is on the node's end
    // before the call that queued the report returns.
    void UpdateReadinessLocked() {
        const bool ready = gone || std::any_of(inboxes.begin(), inboxes.end(),
                                               [](const auto& i) { return !i.second.empty(); });
        if (ready == readable)
            return;
        uint8_t token = 1;
        pollfd arrived{peer, POLLIN, 0};
        const bool done = ready
                              ? write(master, &token, 1) == 1 && poll(&arrived, 1, TokenWaitMs) == 1
                              : poll(&arrived, 1, TokenWaitMs) == 1 && read(peer, &token, 1) == 1;
        if (!done)
            bed.problems.push_back("could not mark " + Name() + (ready ? " readable" : " empty"));
        readable = ready;
    }

    THidrawTestbed& bed;
    TFakeUnit& unit;
    const unsigned number = unit.state.node;
    const std::vector<uint8_t> descriptor = UnitDescriptor(unit.state.firmware.inputLength);
    UMockdevIoctlBase* const handler;
    const int master;
    // The pty's other end, opened here to take bytes off.
    const int peer = ioctl(master, TIOCGPTPEER, O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    bool readable = false;
    bool gone = false;
    // The reports each open file has not read yet.
    std::map<UMockdevIoctlClient*, KL_VRXEmu::Detail::TReportQueue> inboxes;
};

TFakeUnit::TFakeUnit(std::mutex& lock, const TVirtualClock& clock, unsigned family,
                     unsigned launchMode, bool descriptorInSysfs)
    : lock(lock), clock(clock), state(family, launchMode) {
    state.descriptorInSysfs = descriptorInSysfs;
    // Family 1 talks in 64-byte reports, family 2 in 32-byte ones, so the
    // lengths the library uses must come from each unit's own descriptor.
    state.firmware.inputLength = state.firmware.outputLength = family == 2 ? 33 : 65;
}

TFakeUnit& THidrawTestbed::PlugUnit(unsigned family, unsigned launchMode, bool descriptorInSysfs) {
    std::lock_guard<std::mutex> lock(mutex);
    units.push_back(
        std::make_unique<TFakeUnit>(mutex, clock, family, launchMode, descriptorInSysfs));
    PlugLocked(*units.back());
    return *units.back();
}

// A USB mouse: no host of units opens it, so its node has no handler.
void THidrawTestbed::PlugMouse() {
    std::lock_guard<std::mutex> lock(mutex);
    AddDevice(0x046D, 0xC077, nextNode++, nullptr);
}

// The HID device and its hidraw child, in umockdev's record format; returns
// their sysfs paths, children first.
std::vector<std::string> THidrawTestbed::AddDevice(uint16_t vid, uint16_t pid, unsigned number,
                                                   const std::vector<uint8_t>* descriptor) {
    const std::string hidName = Format("0003:%04X:%04X.", vid, pid) + Format("%04X", number + 1);
    const std::string hid = "/devices/pci0000:00/usb1/" + hidName;
    const std::string hidraw = hid + Format("/hidraw/hidraw%u", number);
    std::string text =
        "P: " + hid + "\nE: SUBSYSTEM=hid\n" + Format("E: HID_ID=0003:%08X:%08X\n", vid, pid);
    if (descriptor != nullptr) {
        text += "H: report_descriptor=";
        for (uint8_t b : *descriptor)
            text += Format("%02X", b);
        text += "\n";
    }
    text += "\nP: " + hidraw + Format("\nE: DEVNAME=/dev/hidraw%u\nE: SUBSYSTEM=hidraw\n", number) +
            "L: device=../../../" + hidName + Format("\nN: hidraw%u\n", number);
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(bed, text.c_str(), &error)) {
        problems.push_back(std::string("umockdev refused a device: ") + error->message);
        g_error_free(error);
    }
    return {"/sys" + hidraw, "/sys" + hid};
}

// New nodes take numbers never used before in this testbed, so no node's
// number is taken while the host may still hold an old node of it open.
void THidrawTestbed::PlugLocked(TFakeUnit& unit) {
    TUnitState& state = unit.state;
    state.node = nextNode++;
    const std::vector<uint8_t> descriptor = UnitDescriptor(state.firmware.inputLength);
    state.devices = AddDevice(UnitVendorId, ProductId(state.firmware), state.node,
                              state.descriptorInSysfs ? &descriptor : nullptr);
    const std::string devNode = Format("/dev/hidraw%u", state.node);
    nodes.push_back(std::make_shared<THidrawNode>(
        *this, unit, umockdev_testbed_get_dev_fd(bed, devNode.c_str())));
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(bed, devNode.c_str(), nodes.back()->Handler(), &error)) {
        problems.push_back(std::string("umockdev refused a node handler: ") + error->message);
        g_error_free(error);
    }
    state.current = nodes.back().get();
}

void THidrawTestbed::UnplugLocked(TFakeUnit& unit) {
    TUnitState& state = unit.state;
    if (state.current == nullptr)
        return;
    for (const std::string& device : state.devices)
        umockdev_testbed_remove_device(bed, device.c_str());
    state.current->VanishLocked();
    state.current = nullptr;
}

}  // namespace KL_VRXTest
