// hidraw nodes as sysfs shows them, and the Windows-shaped interface paths
// that stand for them.
//
// A node <sys>/class/hidraw/hidrawN whose device/uevent carries
// HID_ID=bus:vendor:product gets the path "\\?\hid#vid_%04x&pid_%04x#hidrawN":
// the vendor and product text lets the library's path match find it, and the
// last part leads back to <dev>/hidrawN.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace KL_VRXOS {

struct THidrawNode {
    unsigned number = 0;  // N of hidrawN
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::string windowsPath;
};

// The nodes under sysRoot ordered by N. A missing class/hidraw directory is
// an empty list; a node whose uevent is missing or malformed is left out.
std::vector<THidrawNode> ListHidrawNodes(const std::string& sysRoot);

// Vendor and product from the text of a uevent file; nullopt when HID_ID is
// missing or malformed.
std::optional<std::pair<uint16_t, uint16_t>> ParseHidId(const std::string& uevent);

// N from one of our interface paths (any case); nullopt for any other path.
std::optional<unsigned> NodeFromWindowsPath(const std::string& path);

// The node's report descriptor from sysfs; nullopt when it cannot be read.
std::optional<std::vector<uint8_t>> ReadSysfsReportDescriptor(const std::string& sysRoot,
                                                              unsigned number);

}  // namespace KL_VRXOS
