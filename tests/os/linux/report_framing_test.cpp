// Read and write framing through a SOCK_SEQPACKET socketpair standing in for
// a hidraw node: one packet is one report, as one read() of hidraw is. The
// socket takes the same write() and poll() a node does; only a write to a
// closed peer would raise SIGPIPE, which no hidraw node does, so the suite
// ignores that signal.
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "os/linux/linux_os.h"
#include "support/allocation_counter.h"

namespace {

using namespace KL_VRXOS;
using TBytes = std::vector<uint8_t>;

class Framing : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { signal(SIGPIPE, SIG_IGN); }

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

// A report's write and read go straight between the caller's buffer and the
// descriptor: nothing is allocated on the way.
TEST_F(Framing, AReportWrittenAndReadAllocatesNothing) {
    Attach(false);
    const uint8_t out[5] = {0, 21, 0, 0, 0};
    uint8_t in[8];
    uint32_t count = 0;
    const uint64_t before = KL_VRXTest::AllocationCount();
    EXPECT_TRUE(os.WriteFile(device, out, 5, &count, nullptr));
    send(peer, "\x15\x01", 2, 0);
    EXPECT_TRUE(os.ReadFile(device, in, 8, &count, nullptr));
    EXPECT_EQ(KL_VRXTest::AllocationCount() - before, 0u);
    EXPECT_EQ(count, 8u);
}

// A peer that does not answer: the read waits one slice and succeeds with
// nothing, and the report that comes afterwards is read whole.
TEST_F(Framing, ASilentPeerGivesAnEmptyReadAfterTheSlice) {
    Attach(false);
    for (const uint32_t slice : {0u, 1u}) {
        TLinuxOs waiting("/sys", "/dev", slice);
        uint8_t buffer[8] = {0xEE};
        uint32_t got = 99;
        EXPECT_TRUE(waiting.ReadFile(device, buffer, 8, &got, nullptr)) << slice;
        EXPECT_EQ(got, 0u) << slice;
    }
    send(peer, "\x04\x02", 2, 0);
    EXPECT_EQ(Read(), (TBytes{0, 4, 2, 0, 0, 0, 0, 0}));
}

// The read is already asleep in its wait (a slice far longer than the test)
// when the peer acts: a report ends the wait with that report, and a peer
// that goes away (an unplugged unit) ends it with the device gone, at once
// either way; writes then fail alike, with no SIGPIPE.
TEST_F(Framing, ThePeerEndsAWaitAtOnce) {
    const struct {
        const char* name;
        bool peerCloses;  // else it sends a report
        uint32_t error;
        TBytes read;
    } rows[] = {{"AReport", false, 0, {0, 4, 7, 0, 0, 0, 0, 0}},
                {"ThePeerGoingAway", true, ErrorDeviceNotConnected, {}}};
    constexpr uint32_t slice = 20'000;
    TLinuxOs waiting("/sys", "/dev", slice);
    const std::string state = "/proc/self/task/" + std::to_string(gettid()) + "/stat";
    for (const auto& c : rows) {
        SCOPED_TRACE(c.name);
        Attach(false);
        std::thread unit([&] {
            // Until the reader sleeps (state S after the command name), at
            // most a few seconds of looking.
            for (int looks = 0; looks < 200'000; ++looks) {
                std::ifstream stat(state);
                std::string text((std::istreambuf_iterator<char>(stat)), {});
                const size_t name = text.rfind(')');
                if (name != std::string::npos && text.compare(name, 4, ") S ") == 0)
                    break;
            }
            if (c.peerCloses) {
                close(peer);
                peer = -1;
            } else {
                send(peer, "\x04\x07", 2, 0);
            }
        });
        uint8_t buffer[8];
        uint32_t got = 99;
        const auto start = std::chrono::steady_clock::now();
        const BOOL ok = waiting.ReadFile(device, buffer, sizeof buffer, &got, nullptr);
        const auto waited = std::chrono::steady_clock::now() - start;
        unit.join();
        EXPECT_EQ(ok ? 0u : waiting.GetLastError(), c.error);
        EXPECT_EQ(TBytes(buffer, buffer + got), c.read);
        EXPECT_LT(waited, std::chrono::milliseconds(slice / 2));
        EXPECT_EQ(Write(buffer, 5), c.error);
    }
}

}  // namespace
