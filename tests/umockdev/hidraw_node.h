// One /dev/hidrawN of the testbed, answering the host's calls on it as the
// kernel's hidraw driver does, with umockdev's ioctl/read/write emulation:
//   - HIDIOCGRDESCSIZE, HIDIOCGRDESC, HIDIOCGRAWNAME and HIDIOCGRAWINFO from
//     the device's own descriptor bytes and name;
//   - write() takes one output report, report ID first (2 to 16384 bytes,
//     else EINVAL), and hands it to the unit;
//   - read() hands out the unit's oldest input report, without the report
//     ID byte since units number no reports, cut to the caller's buffer;
//   - after the device is gone, writes and ioctls fail with ENODEV and
//     reads with EIO.
// The node itself is a pty (umockdev's default for a device node), and
// poll() on it is real: one byte waits on the pty while a report is queued
// or the device is gone, so the node polls readable exactly when hidraw's
// would.
#pragma once

#include <umockdev.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace KL_VRXTest {

class THidrawTestbed;
class TFakeUnit;

// What the kernel knows of a HID device.
struct TNodeIdentity {
    unsigned number = 0;  // N of hidrawN
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::string name;
    std::vector<uint8_t> descriptor;
};

class THidrawNode {
  public:
    // unit null: a device that is not a unit, which no host of units opens.
    // master is the pty's master end that umockdev keeps for the node.
    THidrawNode(THidrawTestbed& bed, TFakeUnit* unit, TNodeIdentity identity, int master);
    ~THidrawNode();
    THidrawNode(const THidrawNode&) = delete;
    THidrawNode& operator=(const THidrawNode&) = delete;

    const TNodeIdentity& Identity() const { return identity; }
    std::string Name() const { return "hidraw" + std::to_string(identity.number); }
    UMockdevIoctlBase* Handler() const { return handler; }

    // The callers hold the testbed's lock.
    // The device has left the bus; open handles see it gone.
    void VanishLocked();
    unsigned OpensLocked() const { return opens; }

  private:
    // A call's result as the kernel returns it: a count, or -1 and errno.
    using TResult = std::pair<long, int>;

    static gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    static gboolean OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    static gboolean OnWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    static void OnOpened(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    // Serves one read or one write of the buffer the call hands over.
    gboolean Transfer(UMockdevIoctlClient* client, bool write);

    // false: not a hidraw ioctl, left to umockdev (ENOTTY).
    bool IoctlLocked(unsigned long request, UMockdevIoctlData* arg, TResult& result);
    TResult ReadLocked(uint8_t* buffer, size_t capacity);
    TResult WriteLocked(const uint8_t* report, size_t length);
    // Puts a byte on the pty while the node should poll readable, takes it
    // off when it should not.
    void UpdateReadinessLocked();

    THidrawTestbed& bed;
    TFakeUnit* const unit;
    const TNodeIdentity identity;
    UMockdevIoctlBase* const handler;
    const int master;
    int peer = -1;  // the pty's other end, opened here to take bytes off
    bool readable = false;
    bool gone = false;
    unsigned opens = 0;
};

}  // namespace KL_VRXTest
