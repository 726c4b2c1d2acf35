// vrxctl doctor: what stands between this machine and its units, and what
// to do about it. The OS-specific probing is in doctor_linux.cpp and
// doctor_win32.cpp; the verdict and the report are the same everywhere.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

enum class TNodeAccess {
    NotProbed,  // not a VRX unit: left alone
    Ok,         // opened for reading and writing
    Denied,     // EACCES / EPERM, ERROR_ACCESS_DENIED
    Busy,       // EBUSY, ERROR_SHARING_VIOLATION
    Gone,       // the node vanished between listing and opening
    Failed,     // any other error
};

// One hidraw node (Linux) or HID interface (Windows).
struct TDoctorNode {
    std::string name;  // /dev/hidrawN, or the interface path
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    TNodeAccess access = TNodeAccess::NotProbed;
    std::string detail;  // the error, with the node's owner and mode where that helps
};

// What the OS-specific probe found.
struct TDoctorFindings {
    std::vector<TDoctorNode> nodes;
    // Other facts as (key, text): the udev rule, hid.dll, ...
    std::vector<std::pair<std::string, std::string>> facts;
    // What to do when a unit is denied to this user.
    std::string deniedFix;
};

TDoctorFindings ProbeSystem();

// The family (1 or 2) and launch mode (2 or 1) of a VRX unit's IDs; false
// for any other device.
bool ClassifyUnit(uint16_t vendorId, uint16_t productId, unsigned& family, unsigned& launchMode);

// Prints the report of the findings and the one-line verdict; 0 when every
// unit found can be opened, 1 otherwise.
int ReportDoctor(const TDoctorFindings& findings, bool json, std::ostream& out);

// The line printed after an open that failed for lack of permission.
inline const char* DoctorHint() {
    return "vrxctl: this user may not open the unit; run `vrxctl doctor` to see why and what to do";
}
