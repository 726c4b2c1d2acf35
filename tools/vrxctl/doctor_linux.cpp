// vrxctl doctor on Linux: every hidraw node sysfs lists, each VRX unit's
// node opened for reading and writing as the library opens it, and where
// the udev rule is installed.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "doctor.h"
#include "os/linux/hidraw_nodes.h"

namespace {

constexpr char RuleName[] = "70-kl-vrx.rules";

// "owner root, group root, mode 0600" of the node.
std::string Ownership(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return "";
    const passwd* user = ::getpwuid(info.st_uid);
    const group* grp = ::getgrgid(info.st_gid);
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return "owner " + (user ? std::string(user->pw_name) : std::to_string(info.st_uid)) +
           ", group " + (grp ? std::string(grp->gr_name) : std::to_string(info.st_gid)) +
           ", mode " + mode;
}

void Probe(TDoctorNode& node) {
    const int fd = ::open(node.name.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        node.access = TNodeAccess::Ok;
        return;
    }
    const int error = errno;
    node.detail = std::string(std::strerror(error));
    switch (error) {
        case EACCES:
        case EPERM:
            node.access = TNodeAccess::Denied;
            node.detail += " (" + Ownership(node.name) + ")";
            break;
        case EBUSY:
            node.access = TNodeAccess::Busy;
            node.detail += ": another program holds it exclusively";
            break;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            node.access = TNodeAccess::Gone;
            node.detail += ": unplugged, or switching launch mode";
            break;
        default:
            node.access = TNodeAccess::Failed;
    }
}

}  // namespace

TDoctorFindings ProbeSystem() {
    TDoctorFindings findings;
    for (const auto& found : KL_VRXOS::ListHidrawNodes("/sys")) {
        TDoctorNode node;
        node.name = "/dev/hidraw" + std::to_string(found.number);
        node.vendorId = found.vendorId;
        node.productId = found.productId;
        unsigned family = 0, launchMode = 0;
        if (ClassifyUnit(node.vendorId, node.productId, family, launchMode))
            Probe(node);
        findings.nodes.push_back(node);
    }

    // The directories udev reads, and the one this build installs into.
    std::vector<std::string> dirs = {"/etc/udev/rules.d", "/lib/udev/rules.d",
                                     "/usr/lib/udev/rules.d"};
    const std::string configured = VRXCTL_UDEV_RULES_DIR;
    bool udevReadsConfigured = false;
    for (const auto& dir : dirs)
        udevReadsConfigured = udevReadsConfigured || dir == configured;
    if (!udevReadsConfigured)
        dirs.push_back(configured);
    std::string installed, looked;
    for (const auto& dir : dirs) {
        looked += (looked.empty() ? "" : ", ") + dir;
        const std::string path = dir + "/" + RuleName;
        std::error_code error;
        if (installed.empty() && std::filesystem::exists(path, error))
            installed = path;
    }
    const bool inConfiguredOnly = installed == configured + "/" + RuleName && !udevReadsConfigured;
    if (installed.empty())
        findings.facts.emplace_back("udevRule",
                                    std::string("not installed (looked in ") + looked + ")");
    else if (inConfiguredOnly)
        findings.facts.emplace_back("udevRule", installed + ", where udev does not read it");
    else
        findings.facts.emplace_back("udevRule", installed);

    const std::string reload = "sudo udevadm control --reload-rules && sudo udevadm trigger";
    if (installed.empty())
        findings.deniedFix = std::string("install the udev rule (packaging/") + RuleName +
                             " of the KL_VRX sources; the kl-vrx-tools package installs it) and "
                             "reload udev: sudo install -m 0644 packaging/" +
                             RuleName + " /etc/udev/rules.d/ && " + reload;
    else if (inConfiguredOnly)
        findings.deniedFix =
            "install the udev rule where udev reads it, and reload udev: sudo "
            "install -m 0644 " +
            installed + " /etc/udev/rules.d/ && " + reload;
    else
        findings.deniedFix = "the rule is installed: reload udev (" + reload +
                             ") and replug the unit; it grants the user at the machine's seat, "
                             "so remote or service users need its GROUP/MODE line instead";
    return findings;
}
