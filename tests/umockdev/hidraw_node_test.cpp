// The emulated nodes against hidraw's own rules, through the plain system
// calls: what the backend's reads will rely on once they poll before they
// read (readable exactly while a report waits, and for good once the device
// is gone), and the errors of a vanished device.
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "umockdev/host_fixture.h"

namespace {

using namespace KL_VRXTest;

bool Readable(int fd) {
    pollfd waiting{fd, POLLIN, 0};
    return poll(&waiting, 1, 0) == 1;
}

TEST_F(HidrawHost, NodePollsReadableExactlyWhileAReportWaitsAndOnceGone) {
    TFakeUnit& unit = bed.PlugUnit(2);
    const int fd = open("/dev/hidraw0", O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0) << errno;
    int size = 0;
    EXPECT_EQ(ioctl(fd, HIDIOCGRDESCSIZE, &size), 0);
    EXPECT_EQ(size, 27);
    EXPECT_FALSE(Readable(fd));

    const std::vector<uint8_t> command = Message(unit, 21);
    ASSERT_EQ(write(fd, command.data(), command.size()), 33);
    ASSERT_EQ(write(fd, command.data(), command.size()), 33);
    uint8_t reply[64] = {};
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(Readable(fd));
        // 32 bytes: no report-ID byte in front of an unnumbered report.
        EXPECT_EQ(read(fd, reply, sizeof reply), 32);
        EXPECT_EQ(reply[0], 21);
        EXPECT_EQ(reply[1], 1);
    }
    EXPECT_FALSE(Readable(fd));

    bed.Unplug(unit);
    EXPECT_TRUE(Readable(fd));
    EXPECT_EQ(read(fd, reply, sizeof reply), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(write(fd, command.data(), command.size()), -1);
    EXPECT_EQ(errno, ENODEV);
    EXPECT_EQ(ioctl(fd, HIDIOCGRDESCSIZE, &size), -1);
    EXPECT_EQ(errno, ENODEV);
    close(fd);
    EXPECT_EQ(open("/dev/hidraw0", O_RDWR | O_CLOEXEC), -1);
    EXPECT_EQ(errno, ENOENT);
}

}  // namespace
