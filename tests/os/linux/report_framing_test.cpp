// Read and write framing through a SOCK_SEQPACKET socketpair standing in for
// a hidraw node: one packet is one report, as one read() of hidraw is.
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <vector>

#include "os/linux/linux_os.h"

namespace {

using namespace KL_VRXOS;
using TBytes = std::vector<uint8_t>;

class Framing : public ::testing::Test {
  protected:
    // A device with 8-byte input and 5-byte output reports (Windows' lengths).
    void Attach(bool numbered) {
        int fds[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
        peer = fds[1];
        device = os.AdoptDescriptor(fds[0], 8, 5, numbered);
        ASSERT_NE(device, InvalidHandleValue);
    }
    void TearDown() override {
        if (device != InvalidHandleValue)
            os.CloseHandle(device);
        if (peer >= 0)
            close(peer);
    }

    void DeviceSends(const TBytes& wire) {
        ASSERT_EQ(send(peer, wire.data(), wire.size(), 0), static_cast<ssize_t>(wire.size()));
    }
    TBytes DeviceReceives() {
        TBytes wire(64);
        const ssize_t n = recv(peer, wire.data(), wire.size(), MSG_DONTWAIT);
        wire.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return wire;
    }
    // ReadFile with a buffer of size bytes; empty on failure.
    TBytes Read(uint32_t size = 16) {
        TBytes buffer(size, 0xEE);
        uint32_t got = 99;
        if (!os.ReadFile(device, buffer.data(), size, &got, nullptr)) {
            EXPECT_EQ(got, 0u);
            return {};
        }
        buffer.resize(got);
        return buffer;
    }

    TLinuxOs os;
    HANDLE device = InvalidHandleValue;
    int peer = -1;
};

TEST_F(Framing, UnnumberedReportsGetAZeroReportIdAndFullLength) {
    Attach(false);
    DeviceSends({1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(Read(), (TBytes{0, 1, 2, 3, 4, 5, 6, 7}));
    DeviceSends({9, 8});  // short report: padded
    EXPECT_EQ(Read(), (TBytes{0, 9, 8, 0, 0, 0, 0, 0}));
    DeviceSends({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});  // long report: cut
    EXPECT_EQ(Read(), (TBytes{0, 1, 2, 3, 4, 5, 6, 7}));

    // hidraw's write() takes the report ID first even for unnumbered reports.
    const TBytes out = {0, 36, 3, 0, 0};
    uint32_t written = 0;
    ASSERT_TRUE(os.WriteFile(device, out.data(), 5, &written, nullptr));
    EXPECT_EQ(written, 5u);
    EXPECT_EQ(DeviceReceives(), out);
}

TEST_F(Framing, NumberedReportsKeepTheirId) {
    Attach(true);
    DeviceSends({4, 10, 11});
    EXPECT_EQ(Read(8), (TBytes{4, 10, 11, 0, 0, 0, 0, 0}));
    const TBytes out = {2, 1, 2, 3, 4};
    uint32_t written = 0;
    ASSERT_TRUE(os.WriteFile(device, out.data(), 5, &written, nullptr));
    EXPECT_EQ(DeviceReceives(), out);
}

TEST_F(Framing, BadArgumentsFailWithWindowsCodes) {
    Attach(false);
    DeviceSends({1});
    EXPECT_TRUE(Read(7).empty());
    EXPECT_EQ(os.GetLastError(), ErrorInvalidUserBuffer);
    const TBytes out = {0, 1, 2, 3, 4, 5};
    uint32_t count = 0;
    EXPECT_FALSE(os.WriteFile(device, out.data(), 6, &count, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidUserBuffer);
    EXPECT_FALSE(os.WriteFile(device, out.data(), 4, &count, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidParameter);
    EXPECT_FALSE(os.WriteFile(device, nullptr, 5, &count, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidParameter);
    EXPECT_FALSE(os.ReadFile(device, nullptr, 8, &count, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidParameter);
    EXPECT_TRUE(DeviceReceives().empty());

    EXPECT_TRUE(os.CloseHandle(device));
    EXPECT_FALSE(os.CloseHandle(device));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
    uint8_t buffer[8];
    EXPECT_FALSE(os.ReadFile(device, buffer, 8, &count, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
    EXPECT_FALSE(os.WriteFile(device, out.data(), 5, &count, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
    device = InvalidHandleValue;
}

// The peer going away stands for an unplugged unit: both directions then
// fail with ERROR_DEVICE_NOT_CONNECTED (and no SIGPIPE ends the process).
TEST_F(Framing, ClosedPeerIsAnUnpluggedDevice) {
    Attach(false);
    close(peer);
    peer = -1;
    EXPECT_TRUE(Read().empty());
    EXPECT_EQ(os.GetLastError(), ErrorDeviceNotConnected);
    const TBytes out = {0, 1, 2, 3, 4};
    uint32_t written = 7;
    EXPECT_FALSE(os.WriteFile(device, out.data(), 5, &written, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorDeviceNotConnected);
    EXPECT_EQ(written, 0u);
}

}  // namespace
