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
    // A device with 5-byte output reports and input ones of the given
    // length, Windows' lengths (the report ID byte counted).
    void Attach(bool numbered, uint16_t input = 8) {
        Detach();
        int fds[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
        peer = fds[1];
        device = os.AdoptDescriptor(fds[0], input, 5, numbered);
    }
    void Detach() {
        os.CloseHandle(device);
        if (peer >= 0)
            close(peer);
        peer = -1;
    }
    void TearDown() override { Detach(); }

    // ReadFile with a buffer of size bytes; empty on failure, with error set.
    TBytes Read(uint32_t size = 16) {
        TBytes buffer(size, 0xEE);
        uint32_t got = 99;
        error = os.ReadFile(device, buffer.data(), size, &got, nullptr) ? 0 : os.GetLastError();
        buffer.resize(error == 0 ? got : 0);
        EXPECT_EQ(got, buffer.size());
        return buffer;
    }
    // WriteFile of count bytes: 0 or the error, with the count written checked.
    uint32_t Write(const uint8_t* report, uint32_t count) {
        uint32_t written = 7;
        const BOOL ok = os.WriteFile(device, report, count, &written, nullptr);
        EXPECT_EQ(written, ok ? count : 0u);
        return ok ? 0 : os.GetLastError();
    }
    TBytes DeviceGot() {
        TBytes wire(64);
        const ssize_t n = recv(peer, wire.data(), wire.size(), MSG_DONTWAIT);
        wire.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return wire;
    }

    TLinuxOs os;
    HANDLE device = InvalidHandleValue;
    int peer = -1;
    uint32_t error = 0;  // of the latest Read
};

// Windows hands out every input report with its ID first (0 when reports are
// unnumbered) at the full input length; hidraw's write() takes the report ID
// first in either case, so output reports go out unchanged.
TEST_F(Framing, ReportsTakeWindowsShapeBothWays) {
    const struct {
        TBytes wire, unnumbered, numbered;
    } rows[] = {
        {{4, 2, 3, 4, 5, 6, 7}, {0, 4, 2, 3, 4, 5, 6, 7}, {4, 2, 3, 4, 5, 6, 7, 0}},
        {{4, 8}, {0, 4, 8, 0, 0, 0, 0, 0}, {4, 8, 0, 0, 0, 0, 0, 0}},  // short: padded
        {{4, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 4, 2, 3, 4, 5, 6, 7}, {4, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const bool numbered : {false, true}) {
        Attach(numbered);
        for (const auto& row : rows) {
            send(peer, row.wire.data(), row.wire.size(), 0);
            EXPECT_EQ(Read(), numbered ? row.numbered : row.unnumbered);
        }
        const TBytes out = {numbered ? uint8_t{2} : uint8_t{0}, 36, 3, 0, 0};
        EXPECT_EQ(Write(out.data(), 5), 0u);
        EXPECT_EQ(DeviceGot(), out);
    }
    // A descriptor may declare a report longer than any hidraw passes on.
    Attach(false, 0xFFFF);
    send(peer, "\7", 1, 0);
    const TBytes longest = Read(0xFFFF);
    ASSERT_EQ(longest.size(), 0xFFFFu);
    EXPECT_EQ(longest[1], 7);
    EXPECT_EQ(longest.back(), 0);
}

TEST_F(Framing, BadArgumentsFailWithWindowsCodesAndSendNothing) {
    Attach(false);
    send(peer, "\1", 1, 0);
    EXPECT_TRUE(Read(7).empty());
    EXPECT_EQ(error, ErrorInvalidUserBuffer);
    const TBytes out(6, 1);
    EXPECT_EQ(Write(out.data(), 6), ErrorInvalidUserBuffer);
    EXPECT_EQ(Write(out.data(), 0), ErrorInvalidUserBuffer);
    EXPECT_EQ(Write(out.data(), 4), ErrorInvalidParameter);
    EXPECT_EQ(Write(nullptr, 5), ErrorInvalidParameter);
    EXPECT_TRUE(DeviceGot().empty());

    EXPECT_TRUE(os.CloseHandle(device));
    Read(8);
    EXPECT_EQ(error, ErrorInvalidHandle);
    EXPECT_EQ(Write(out.data(), 5), ErrorInvalidHandle);
}

// The peer going away stands for an unplugged unit: both directions then
// fail with ERROR_DEVICE_NOT_CONNECTED (and no SIGPIPE ends the process).
TEST_F(Framing, ClosedPeerIsAnUnpluggedDevice) {
    Attach(false);
    close(peer);
    peer = -1;
    EXPECT_TRUE(Read().empty());
    EXPECT_EQ(error, ErrorDeviceNotConnected);
    const TBytes out(5, 0);
    EXPECT_EQ(Write(out.data(), 5), ErrorDeviceNotConnected);
}

}  // namespace
