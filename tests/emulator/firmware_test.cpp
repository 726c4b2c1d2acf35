// The unit firmware as the library meets it: replies to every command code,
// the launch-mode switch, report lengths, and the reply queue.
#include "emulator_fixture.h"
#include "support/allocation_counter.h"

namespace KL_VRXEmuTest {
namespace {

using KL_VRXEmu::TEmulatedUnit;

// Each code on a fresh unit.
TEST_F(EmulatorTest, AnswersEveryCommandOfTheCatalogue) {
    const struct {
        uint8_t code, value;
        TBytes head;  // of the reply; empty: no reply at all
    } rows[] = {
        // clang-format off
        {0, 0, {0, 0, 1, 2, 3}}, {2, 2, {0, 2, 2}}, {15, 0, {}},
        {18, 0, {0, 18, 127}}, {19, 0, {0, 19, 1}}, {20, 0, {0, 20, 1}}, {21, 0, {0, 21, 1}},
        {22, 0, {0, 22, 2}}, {23, 0, {0, 23, 2}}, {24, 0, {0, 24, 2}},
        {25, 0, {0, 25, 0x78, 0x56, 0x34, 0x12}},
        {33, 15, {0, 33, 15}}, {39, 9, {0, 39, 9}}, {224, 127, {0, 224, 127}},
        {1, 5, {0, 0xFF}}, {17, 0, {0, 0xFF}}, {26, 0, {0, 0xFF}}, {32, 0, {0, 0xFF}},
        {40, 0, {0, 0xFF}}, {255, 0, {0, 0xFF}},
        // clang-format on
    };
    for (const auto& row : rows) {
        HANDLE h = Open(bus.AttachUnit(1).Path());
        Send(h, row.code, row.value);
        EXPECT_EQ(Receive(h), row.head.empty() ? TBytes() : Reply(row.head)) << +row.code;
    }
}

// Only 2 with value 2 right before 15 switches.
TEST_F(EmulatorTest, LaunchModeSwitchReenumeratesUnderTheFirstProductId) {
    const std::pair<uint8_t, uint8_t> staysAfter[] = {{2, 1}, {18, 0}};  // sent before 15
    for (const auto& [code, value] : staysAfter) {
        TEmulatedUnit& unit = bus.AttachUnit(1, 1);
        HANDLE h = Open(unit.Path());
        Send(h, 2, 2);
        Send(h, code, value);
        Send(h, 15);
        EXPECT_EQ(unit.LaunchMode(), 1u);
        EXPECT_EQ(Send(h, 18), 0u);  // the same path, still open
        bus.Detach(unit);
    }
    TEmulatedUnit& unit = bus.AttachUnit(2, 1);
    const std::string other = bus.AttachUnit(1).Path(), oldPath = unit.Path();
    HANDLE h = Open(oldPath);
    Send(h, 2, 2);
    ASSERT_EQ(Send(h, 15), 0u);
    EXPECT_EQ(unit.LaunchMode(), 2u);
    EXPECT_EQ(bus.InterfacePaths(), (std::vector<std::string>{other, unit.Path()}));
    EXPECT_NE(unit.Path().find("vid_3c5a&pid_0e58#"), std::string::npos);
    EXPECT_EQ(Send(h, 18), ErrorDeviceNotConnected);
    EXPECT_EQ(Open(oldPath), InvalidHandleValue);
    h = Open(unit.Path());
    Send(h, 18);
    EXPECT_EQ(Receive(h), Reply({0, 18, 127}));
    EXPECT_EQ(unit.Received().size(), 3u);  // the same unit goes on recording
}

// Lengths as the HID class driver checks them: a write of exactly the
// output length, a read buffer of at least the input length.
TEST_F(EmulatorTest, IoKeepsToTheUnitsReportLengths) {
    TEmulatedUnit& unit = bus.AttachUnit(1);
    unit.SetReportLengths(9, 7);
    HANDLE h = Open(unit.Path());
    EXPECT_EQ(Send(h, 18, 0, 6), ErrorInvalidParameter);
    EXPECT_EQ(Send(h, 18, 0, 8), ErrorInvalidUserBuffer);
    EXPECT_EQ(Send(h, 18, 0, 0), ErrorInvalidUserBuffer);
    EXPECT_TRUE(unit.Received().empty());
    EXPECT_EQ(Send(h, 18, 0, 7), 0u);
    EXPECT_TRUE(Receive(h, 8).empty());
    EXPECT_EQ(error, ErrorInvalidUserBuffer);
    EXPECT_EQ(Receive(h, 100), TBytes({0, 18, 127, 0, 0, 0, 0, 0, 0}));
}

// Replies wait oldest first however writes and reads interleave, while the
// queue's storage turns over; and once the unit has served an exchange, the
// next costs the emulator no allocation, its recording included.
TEST_F(EmulatorTest, RepliesKeepTheirOrderAndAnExchangeAllocatesNothing) {
    TEmulatedUnit& unit = bus.AttachUnit(1);
    HANDLE h = Open(unit.Path());
    // Each round reads all replies but its last, which waits for the next round.
    TBytes pending;
    for (const TBytes& codes : {TBytes{18, 19, 20}, TBytes{21, 22}, TBytes{23, 18, 19, 20}}) {
        for (uint8_t code : codes) {
            Send(h, code);
            pending.push_back(code);
        }
        while (pending.size() > 1) {
            EXPECT_EQ(Receive(h).at(1), pending.front());
            pending.erase(pending.begin());
        }
    }
    EXPECT_EQ(Receive(h).at(1), 20);
    EXPECT_TRUE(Receive(h).empty());

    uint8_t report[65] = {0, 21};
    uint8_t reply[65];
    uint32_t count = 0;
    unit.ClearReceived();
    const uint64_t before = KL_VRXTest::AllocationCount();
    EXPECT_TRUE(os.WriteFile(h, report, 65, &count, nullptr));
    EXPECT_TRUE(os.ReadFile(h, reply, 65, &count, nullptr));
    EXPECT_EQ(KL_VRXTest::AllocationCount() - before, 0u);
    EXPECT_EQ(TBytes(reply, reply + 3), TBytes({0, 21, 1}));
    EXPECT_EQ(unit.Received(), std::vector<TBytes>{TBytes(report, report + 65)});
}

}  // namespace
}  // namespace KL_VRXEmuTest
