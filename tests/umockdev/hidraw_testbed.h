// A USB bus of HID devices as the Linux kernel shows it, made by umockdev
// for a process that runs under umockdev-wrapper: for each device a USB
// device, its HID interface, the HID device with its uevent (HID_ID,
// HID_NAME, ...) and report_descriptor, and that device's hidraw child with
// /sys/class/hidraw/hidrawN and /dev/hidrawN. Units answer behind their
// nodes (THidrawNode, TFakeUnit); a mouse stands for every other HID device.
//
// Unplugging removes the device's sysfs entries and node; a unit that
// switches launch mode leaves the same way and comes back on the same port
// under its other product ID, with a new node number (its old node is still
// held open by the host, as the kernel would keep that number taken).
#pragma once

#include <umockdev.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "umockdev/fake_unit.h"
#include "umockdev/hidraw_node.h"
#include "umockdev/virtual_time_os.h"

namespace KL_VRXTest {

class THidrawTestbed {
  public:
    explicit THidrawTestbed(const TVirtualClock& clock);
    ~THidrawTestbed();
    THidrawTestbed(const THidrawTestbed&) = delete;
    THidrawTestbed& operator=(const THidrawTestbed&) = delete;

    // False when the process does not run under umockdev's preload; the
    // library would then see the machine's own /sys and /dev.
    bool Emulating() const;

    // Plugs a unit of family 1 or 2 into the next USB port. Launch mode 2
    // shows the family's first product ID, any other mode its second. With
    // descriptorInSysfs false its sysfs entry lacks report_descriptor, and
    // only the HIDIOCGRDESC ioctls give the descriptor.
    TFakeUnit& PlugUnit(unsigned family, unsigned launchMode = 2, bool descriptorInSysfs = true);
    // Plugs a USB mouse, with a report descriptor recorded from a real one.
    void PlugMouse();
    // The unit leaves the bus; handles open on it see it gone.
    void Unplug(TFakeUnit& unit);

    // Whether /dev/hidrawN and /sys/class/hidraw/hidrawN exist now.
    bool HasNode(unsigned number) const;
    bool HasSysfsEntry(unsigned number) const;

    // Everything the nodes met that a real system would not have let pass
    // (a read that would block for ever, I/O on the mouse, ...); a test
    // that ends with any has failed.
    std::vector<std::string> Problems() const;

  private:
    friend class THidrawNode;

    // A port and what is plugged into it (unit null: the mouse).
    struct TPort {
        unsigned number = 0;
        std::unique_ptr<TFakeUnit> unit;
        bool descriptorInSysfs = true;
        THidrawNode* node = nullptr;       // the device's node now; null while unplugged
        std::vector<std::string> devices;  // its sysfs devices, children first
    };

    // The callers hold the lock.
    void PlugLocked(TPort& port);
    void UnplugLocked(TFakeUnit& unit);
    void ReplugLocked(TFakeUnit& unit);
    void ProblemLocked(const std::string& problem);
    TPort& PortOfLocked(const TFakeUnit& unit);

    // One lock for the units, the nodes and the testbed: the node handlers
    // run on umockdev's thread, the tests on theirs.
    mutable std::mutex mutex;
    const TVirtualClock& clock;
    UMockdevTestbed* const bed;
    const std::string root;
    std::vector<std::unique_ptr<TPort>> ports;
    // Every node ever made; a gone one still serves the handles open on it.
    std::vector<std::unique_ptr<THidrawNode>> nodes;
    std::vector<std::string> problems;
    unsigned nextHidDevice = 1;
};

}  // namespace KL_VRXTest
