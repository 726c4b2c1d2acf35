#include "umockdev/hidraw_testbed.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace KL_VRXTest {

namespace {

constexpr uint16_t UnitVendorId = 0x3C5A;

struct TRecordedDescriptor {
    const char* name;
    std::vector<uint8_t> descriptor;
    uint16_t inputLength;
    uint16_t outputLength;
};

const TRecordedDescriptor RecordedDescriptors[] = {
#include "data/hid-descriptors/windows_report_lengths.inc"
};

const std::vector<uint8_t>& MouseDescriptor() {
    for (const TRecordedDescriptor& d : RecordedDescriptors)
        if (std::string(d.name) == "046D_C077_0002_0001")
            return d.descriptor;
    throw std::logic_error("the recorded mouse descriptor is missing");
}

// One vendor-defined collection with an input and an output report of the
// given lengths (report-ID byte included, as Windows counts them) and no
// report IDs.
std::vector<uint8_t> UnitDescriptor(uint16_t inputLength, uint16_t outputLength) {
    const auto input = static_cast<uint8_t>(inputLength - 1);
    const auto output = static_cast<uint8_t>(outputLength - 1);
    // clang-format off
    return {
        0x06, 0x00, 0xFF,  // Usage Page (vendor 0xFF00)
        0x09, 0x01,        // Usage (1)
        0xA1, 0x01,        // Collection (Application)
        0x15, 0x00,        //   Logical Minimum (0)
        0x26, 0xFF, 0x00,  //   Logical Maximum (255)
        0x75, 0x08,        //   Report Size (8)
        0x95, input,       //   Report Count (the input report's bytes)
        0x09, 0x01,        //   Usage (1)
        0x81, 0x02,        //   Input (Data, Variable, Absolute)
        0x95, output,      //   Report Count (the output report's bytes)
        0x09, 0x01,        //   Usage (1)
        0x91, 0x02,        //   Output (Data, Variable, Absolute)
        0xC0,              // End Collection
    };
    // clang-format on
}

std::string Hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    char digits[3];
    for (uint8_t b : bytes) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        text += digits;
    }
    return text;
}

std::string Format(const char* format, unsigned a, unsigned b = 0, unsigned c = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// The four sysfs devices of one USB HID device, in umockdev's record
// format, parents first, and their sysfs paths, children first.
struct TRecords {
    std::string text;
    std::vector<std::string> devices;
};

TRecords Records(unsigned port, unsigned hidDevice, const TNodeIdentity& id, bool descriptorInSysfs,
                 unsigned interfaceProtocol) {
    const unsigned vid = id.vendorId;
    const unsigned pid = id.productId;
    const std::string usb = "/devices/pci0000:00/0000:00:14.0/usb1" + Format("/1-%u", port);
    const std::string interface = usb + Format("/1-%u:1.0", port);
    const std::string hidName = Format("0003:%04X:%04X.", vid, pid) + Format("%04X", hidDevice);
    const std::string hid = interface + "/" + hidName;
    const std::string hidraw = hid + Format("/hidraw/hidraw%u", id.number);

    TRecords r;
    r.text = "P: " + usb + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n" +
             Format("E: PRODUCT=%x/%x/100\nA: idVendor=%04x\n", vid, pid, vid) +
             Format("A: idProduct=%04x\nA: busnum=1\nA: devnum=%u\n", pid, port + 1) +
             "A: product=" + id.name + "\n\n";
    r.text += "P: " + interface + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n" +
              Format("E: INTERFACE=3/%u/%u\n", interfaceProtocol != 0, interfaceProtocol) +
              "A: bInterfaceClass=03\nA: bInterfaceNumber=00\n\n";
    r.text += "P: " + hid + "\nE: DRIVER=hid-generic\n" +
              Format("E: HID_ID=0003:%08X:%08X\n", vid, pid) + "E: HID_NAME=" + id.name + "\n" +
              Format("E: HID_PHYS=usb-0000:00:14.0-%u/input0\nE: HID_UNIQ=\n", port) +
              Format("E: MODALIAS=hid:b0003g0001v%08Xp%08X\n", vid, pid) + "E: SUBSYSTEM=hid\n";
    if (descriptorInSysfs)
        r.text += "H: report_descriptor=" + Hex(id.descriptor) + "\n";
    r.text += "\nP: " + hidraw + Format("\nE: MAJOR=241\nE: MINOR=%u\n", id.number) +
              Format("E: DEVNAME=/dev/hidraw%u\nE: SUBSYSTEM=hidraw\n", id.number) +
              Format("A: dev=241:%u\n", id.number) + "L: device=../../../" + hidName +
              Format("\nN: hidraw%u\n", id.number);
    for (const std::string& path : {hidraw, hid, interface, usb})
        r.devices.push_back("/sys" + path);
    return r;
}

std::string RootOf(UMockdevTestbed* bed) {
    gchar* dir = umockdev_testbed_get_root_dir(bed);
    std::string root(dir);
    g_free(dir);
    return root;
}

}  // namespace

THidrawTestbed::THidrawTestbed(const TVirtualClock& clock)
    : clock(clock), bed(umockdev_testbed_new()), root(RootOf(bed)) {}

THidrawTestbed::~THidrawTestbed() {
    // The testbed goes first: it stops serving the nodes before their
    // handlers go.
    g_object_unref(bed);
}

bool THidrawTestbed::Emulating() const {
    return umockdev_in_mock_environment();
}

TFakeUnit& THidrawTestbed::PlugUnit(unsigned family, unsigned launchMode, bool descriptorInSysfs) {
    std::lock_guard<std::mutex> lock(mutex);
    auto port = std::make_unique<TPort>();
    port->number = static_cast<unsigned>(ports.size()) + 1;
    port->unit = std::make_unique<TFakeUnit>(mutex, clock, family, launchMode);
    port->descriptorInSysfs = descriptorInSysfs;
    PlugLocked(*port);
    ports.push_back(std::move(port));
    return *ports.back()->unit;
}

void THidrawTestbed::PlugMouse() {
    std::lock_guard<std::mutex> lock(mutex);
    auto port = std::make_unique<TPort>();
    port->number = static_cast<unsigned>(ports.size()) + 1;
    PlugLocked(*port);
    ports.push_back(std::move(port));
}

void THidrawTestbed::Unplug(TFakeUnit& unit) {
    std::lock_guard<std::mutex> lock(mutex);
    UnplugLocked(unit);
}

bool THidrawTestbed::HasNode(unsigned number) const {
    std::error_code error;
    return std::filesystem::exists(
        std::filesystem::symlink_status(root + Format("/dev/hidraw%u", number), error));
}

bool THidrawTestbed::HasSysfsEntry(unsigned number) const {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(
        root + Format("/sys/class/hidraw/hidraw%u", number), error));
}

std::vector<std::string> THidrawTestbed::Problems() const {
    std::lock_guard<std::mutex> lock(mutex);
    return problems;
}

// New nodes take numbers never used before in this testbed, so no node's
// number is taken while the host may still hold an old node of it open.
void THidrawTestbed::PlugLocked(TPort& port) {
    TNodeIdentity id;
    id.number = static_cast<unsigned>(nodes.size());
    TFakeUnit* const unit = port.unit.get();
    unsigned protocol = 0;
    if (unit != nullptr) {
        id.vendorId = UnitVendorId;
        id.productId = unit->ProductIdLocked();
        id.name = Format("VRX family %u unit", unit->firmware.family);
        id.descriptor = UnitDescriptor(unit->firmware.inputLength, unit->firmware.outputLength);
    } else {
        id.vendorId = 0x046D;
        id.productId = 0xC077;
        id.name = "USB Optical Mouse";
        id.descriptor = MouseDescriptor();
        protocol = 2;  // boot protocol mouse
    }
    TRecords records = Records(port.number, nextHidDevice++, id, port.descriptorInSysfs, protocol);
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(bed, records.text.c_str(), &error)) {
        ProblemLocked(std::string("umockdev refused a device: ") + error->message);
        g_error_free(error);
        return;
    }
    const std::string devNode = Format("/dev/hidraw%u", id.number);
    const int master = umockdev_testbed_get_dev_fd(bed, devNode.c_str());
    nodes.push_back(std::make_unique<THidrawNode>(*this, unit, std::move(id), master));
    if (!umockdev_testbed_attach_ioctl(bed, devNode.c_str(), nodes.back()->Handler(), &error)) {
        ProblemLocked(std::string("umockdev refused a node handler: ") + error->message);
        g_error_free(error);
    }
    port.node = nodes.back().get();
    port.devices = std::move(records.devices);
    if (unit != nullptr) {
        unit->node = port.node->Identity().number;
        unit->present = true;
    }
}

void THidrawTestbed::UnplugLocked(TFakeUnit& unit) {
    TPort& port = PortOfLocked(unit);
    if (port.node == nullptr)
        return;
    for (const std::string& device : port.devices)
        umockdev_testbed_remove_device(bed, device.c_str());
    port.devices.clear();
    port.node->VanishLocked();
    port.node = nullptr;
    unit.present = false;
}

void THidrawTestbed::ReplugLocked(TFakeUnit& unit) {
    UnplugLocked(unit);
    PlugLocked(PortOfLocked(unit));
}

void THidrawTestbed::ProblemLocked(const std::string& problem) {
    problems.push_back(problem);
}

THidrawTestbed::TPort& THidrawTestbed::PortOfLocked(const TFakeUnit& unit) {
    for (const auto& port : ports)
        if (port->unit.get() == &unit)
            return *port;
    throw std::logic_error("the unit is not on this testbed");
}

}  // namespace KL_VRXTest
