// A USB bus of HID devices as the Linux kernel shows it, made by umockdev
// for a process that runs under umockdev-wrapper: for each device its HID
// device with its uevent (HID_ID) and report_descriptor, and that
// device's hidraw child with /sys/class/hidraw/hidrawN and /dev/hidrawN.
// Units answer behind their nodes as the kernel's hidraw driver does: the
// ioctls the library uses, write() of one output report (report ID first),
// read() of the oldest input report without the report ID byte, and poll()
// readable exactly while a report waits or the device is gone. A mouse
// stands for every other HID device.
//
// Unplugging removes the device's sysfs entries and node; handles open on
// it then fail writes and ioctls with ENODEV and reads with EIO.
#pragma once

#include <umockdev.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "emulator/unit_firmware.h"

namespace KL_VRXTest {

// Milliseconds that only Sleep advances, shared by the host's OS layer and
// the fake units' firmware (for their register transitions).
class TVirtualClock {
  public:
    uint64_t Now() const { return now.load(); }
    void Advance(uint32_t ms) { now.fetch_add(ms); }

  private:
    std::atomic<uint64_t> now{0};
};

class THidrawNode;

// One unit: the emulator's firmware (its registers, received reports,
// replies and fault switches; firmware.silent: it sends no reply) and what
// the bus knows of it.
struct TUnitState {
    TUnitState(unsigned family, unsigned launchMode) : firmware(family, launchMode) {}
    KL_VRXEmu::Detail::TUnitFirmware firmware;
    std::optional<uint8_t> unplugOn;   // takes this command, then leaves before it answers
    unsigned node = 0;                 // N of the /dev/hidrawN it shows as now, or last did
    unsigned opens = 0;                // how often the host opened one of its nodes
    bool descriptorInSysfs = true;     // else only HIDIOCGRDESC gives it
    THidrawNode* current = nullptr;    // null while unplugged
    std::vector<std::string> devices;  // its sysfs devices, children first
};

// A test's handle on a unit. The node handlers run on umockdev's thread and
// share the testbed's lock with the test.
class TFakeUnit {
  public:
    TFakeUnit(std::mutex& lock, const TVirtualClock& clock, unsigned family, unsigned launchMode,
              bool descriptorInSysfs);

    // f(state) under the lock, the register transitions due by now applied.
    template <typename F>
    auto With(F f) {
        std::lock_guard<std::mutex> guard(lock);
        state.firmware.Settle(clock.Now());
        return f(state);
    }
    unsigned Opens() {
        return With([](TUnitState& s) { return s.opens; });
    }

  private:
    friend class THidrawNode;
    friend class THidrawTestbed;
    std::mutex& lock;
    const TVirtualClock& clock;
    TUnitState state;
};

class THidrawTestbed {
  public:
    explicit THidrawTestbed(const TVirtualClock& clock)
        : clock(clock), bed(umockdev_testbed_new()) {}
    // The testbed goes first: it stops serving the nodes before their
    // handlers go.
    ~THidrawTestbed() { g_object_unref(bed); }

    bool Emulating() const { return umockdev_in_mock_environment(); }
    // A unit of family 1 or 2; launch mode 2 shows the
    // family's first product ID, any other mode its second.
    TFakeUnit& PlugUnit(unsigned family, unsigned launchMode = 2, bool descriptorInSysfs = true);
    void PlugMouse();
    void Unplug(TFakeUnit& unit) {
        std::lock_guard<std::mutex> lock(mutex);
        UnplugLocked(unit);
    }
    // Everything the nodes met that a real system would not let pass (a
    // read that would block for ever, ...): a test that ends with any fails.
    std::vector<std::string> Problems() const {
        std::lock_guard<std::mutex> lock(mutex);
        return problems;
    }

  private:
    friend class THidrawNode;
    // The callers hold the lock.
    std::vector<std::string> AddDevice(uint16_t vid, uint16_t pid, unsigned number,
                                       const std::vector<uint8_t>* descriptor);
    void PlugLocked(TFakeUnit& unit);
    void UnplugLocked(TFakeUnit& unit);

    mutable std::mutex mutex;
    const TVirtualClock& clock;
    UMockdevTestbed* const bed;
    std::vector<std::unique_ptr<TFakeUnit>> units;
    // Every node ever made; a gone one still serves the handles open on it.
    // (Shared: the deleter is made where the node's type is complete.)
    std::vector<std::shared_ptr<THidrawNode>> nodes;
    std::vector<std::string> problems;
    unsigned nextNode = 0;
};

}  // namespace KL_VRXTest
