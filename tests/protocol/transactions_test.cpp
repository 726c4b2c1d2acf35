// The four transactions: refusals before anything is sent, the reply and
// its polling, and the state wait with its time-out.
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "channel_fixture.h"
#include "support/row_name.h"

namespace {

using KL_VRXEmu::TEmulatedUnit;
using KL_VRXTest::ChannelTest;
using KL_VRXTest::QueueReply;
using namespace KL_VRXProtocol;
using E = ProtocolError;
using TOp = E (*)(TVRXCommandChannel&);

uint8_t block[70];
uint8_t value;

// clang-format off
const TOp Write = [](TVRXCommandChannel& c) { return c.WriteCommand(36, 3, VRXTimeout::Io); };
const TOp Read = [](TVRXCommandChannel& c) { return c.ReadRegister(21, value, VRXTimeout::Io); };
const TOp Block0 = [](TVRXCommandChannel& c) { return c.ReadBlock(0, block, 0); };
const TOp Block7 = [](TVRXCommandChannel& c) { return c.ReadBlock(0, block, 7); };
const TOp Block9 = [](TVRXCommandChannel& c) { return c.ReadBlock(0, block, 9); };
const TOp Apply = [](TVRXCommandChannel& c) { return c.ApplyLaunchMode(); };
// clang-format on

// Refused before anything is sent: no unit open (the channel has never
// opened one), or reports too small for the message or the reply. (Reads,
// waits and blocks go through the writes' exchange and its checks.)
struct TRefusal {
    const char* name;
    uint16_t input = 0;  // 0: no unit
    uint16_t output = 65;
    TOp op;
};

class RefusedRequests : public ChannelTest, public ::testing::WithParamInterface<TRefusal> {};

TEST_P(RefusedRequests, SendNothing) {
    const TRefusal& c = GetParam();
    const bool unit = c.input > 0;
    if (unit)
        OpenedUnit(c.input, c.output);
    const unsigned writes = bus.Calls().writeFile;
    EXPECT_EQ(c.op(channel), unit ? E::InsufficientBuffer : E::NotOpened);
    EXPECT_EQ(bus.Calls().writeFile, writes);
    EXPECT_EQ(Text(), unit ? "Insufficient buffer space." : "No VRX has been opened.");
    if (!unit) {
        EXPECT_EQ(KL_VRXTest::TransportText(), "Trying to send command to an unopened device.");
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Channel, RefusedRequests, ::testing::Values(
    TRefusal{.name = "WriteWithoutUnit", .op = Write},
    TRefusal{.name = "ApplyWithoutUnit", .op = Apply},
    TRefusal{.name = "ReadReplyOfTwoBytes", .input = 2, .op = Read},
    TRefusal{.name = "EmptyBlockReplyOfTwoBytes", .input = 2, .op = Block0},
    TRefusal{.name = "ApplyOutputOfOneByte", .input = 65, .output = 1, .op = Apply},
    TRefusal{.name = "WriteOutputOfTwoBytes", .input = 65, .output = 2, .op = Write},
    TRefusal{.name = "BlockOfSevenInEightBytes", .input = 8, .op = Block7},
    TRefusal{.name = "BlockOfNineInEightBytes", .input = 8, .op = Block9}),
    KL_VRXTest::RowName());
// clang-format on

// One register read (time-out 10 ms) against a faulty unit. A failure leaves
// the output as it was and nothing is sent again. Empty reads are polled
// every 5 ms; only more than the time-out since the send fails, and a wrapped
// tick count starts the measurement again.
struct TReplyCase {
    const char* name;
    std::function<void(TEmulatedUnit&)> fault;
    uint32_t tick = 1000;
    uint32_t pauses = 0;
    const char* text = "Success.";
};

class Replies : public ChannelTest, public ::testing::WithParamInterface<TReplyCase> {};

TEST_P(Replies, AreTakenOnceAndEmptyReadsPolledUntilTheTimeOut) {
    const TReplyCase& c = GetParam();
    TEmulatedUnit& unit = OpenedUnit();
    c.fault(unit);
    bus.SetTick(c.tick);
    const KL_VRXEmu::TCallCounts before = bus.Calls();
    uint8_t read = 0xAA;
    channel.ReadRegister(21, read, 10);
    EXPECT_EQ(read, c.text == std::string("Success.") ? 1 : 0xAA);  // register 21 starts at 1
    EXPECT_EQ(Text(), c.text);
    EXPECT_EQ(bus.Calls().writeFile, before.writeFile + 1);
    EXPECT_EQ(bus.Calls().sleep - before.sleep, c.pauses);
    EXPECT_EQ(bus.Tick() - c.tick, 5 * c.pauses);
}

using U = TEmulatedUnit&;
const char* const ReadLate = "Have timed out trying to read from the device.";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Channel, Replies, ::testing::Values(
    TReplyCase{.name = "Rejected", .fault = [](U u) { u.SetReplyCode(0xFF); },
               .text = "A bad command was sent to the device."},
    TReplyCase{.name = "NotEchoed", .fault = [](U u) { u.SetReplyCode(22); },
               .text = "The command was not echoed."},
    TReplyCase{.name = "NothingWritten", .fault = [](U u) { u.SetWritesZeroBytes(true); },
               .text = "Problem sending data to VRX. Success."},
    TReplyCase{.name = "ReadFails", .fault = [](U u) { u.FailReads(31); },
               .text = "Problem reading data from VRX. Read fail. API error: 31."},
    // The third empty read comes at exactly 10 ms, the fourth at 15.
    TReplyCase{.name = "EmptyReadsUpToTheTimeOut", .fault = [](U u) { u.QueueEmptyReads(3); },
               .pauses = 3},
    TReplyCase{.name = "EmptyReadsPastTheTimeOut", .fault = [](U u) { u.QueueEmptyReads(4); },
               .pauses = 3, .text = ReadLate},
    // Wraps at the third: 10 ms more from 2.
    TReplyCase{.name = "TickWrapRestartsTheWait", .fault = [](U u) { u.QueueEmptyReads(100); },
               .tick = 0xFFFFFFF8, .pauses = 5, .text = ReadLate}),
    KL_VRXTest::RowName());
// clang-format on

// Replies queued ahead of the transaction are taken as they come, so they
// script what the polls see: the value, another, then the value twice.
// Writing code 36 without a value byte is a write of 0, echoed with 0.
TEST_F(ChannelTest, PollsGoOutAsPaddedReportsAndTheStateNeedsTwoMatchesInARow) {
    TEmulatedUnit& unit = OpenedUnit(8, 9);
    unit.SetBlock(0, {1, 2, 3, 4, 5, 6});  // all that an 8-byte reply carries
    ASSERT_EQ(channel.ReadBlock(0, block, 6), E::Success);
    EXPECT_EQ(std::vector<uint8_t>(block, block + 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    for (uint8_t written : {9, 0, 7})
        QueueReply(unit, 36, written, 9);
    unit.ClearReceived();
    const unsigned sleeps = bus.Calls().sleep;
    EXPECT_EQ(channel.WriteAndWait(36, 36, 0, 700, 3000), E::Success);
    // The write and four polls, each a full output report padded with zeros.
    EXPECT_EQ(unit.Received(), std::vector(5, std::vector<uint8_t>{0, 36, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bus.Calls().sleep - sleeps, 1u);
}

// The state wait of register 21 for 3, against the transition time of the
// unit and its report latency. The time-out runs from the end of the write;
// a match counts only within it, and a wrapped tick count restarts it.
struct TWaitCase {
    const char* name;
    uint32_t latency = 0;
    uint32_t transition = 0;  // after which register 21 reports the value
    bool stuck = false;       // register 21 never does
    uint32_t timeout = 700;
    uint32_t tick = 0;
    E result = E::Success;
    uint32_t elapsed = Unchecked;
    static constexpr uint32_t Unchecked = std::numeric_limits<uint32_t>::max();
};

class StateWait : public ChannelTest, public ::testing::WithParamInterface<TWaitCase> {};

TEST_P(StateWait, SucceedsOnlyWithinTheTransitionTimeOut) {
    const TWaitCase& c = GetParam();
    TEmulatedUnit& unit = OpenedUnit();
    bus.SetReportLatency(c.latency);
    bus.SetTick(c.tick);
    unit.SetTransitionTime(21, c.transition);
    unit.SetStuck(21, c.stuck);
    EXPECT_EQ(channel.WriteAndWait(36, 21, 3, c.timeout, 3000), c.result);
    if (c.elapsed != TWaitCase::Unchecked) {
        EXPECT_EQ(bus.Tick() - c.tick, c.elapsed);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Channel, StateWait, ::testing::Values(
    TWaitCase{.name = "BothMatchesAtTheTimeOut", .transition = 700, .elapsed = 700},
    TWaitCase{.name = "FirstMatchLate", .transition = 701, .result = E::StateTimeout,
              .elapsed = 705},
    TWaitCase{.name = "MatchesAt16And18", .latency = 1, .transition = 16, .timeout = 18},
    TWaitCase{.name = "SecondMatchLate", .latency = 1, .transition = 16, .timeout = 17,
              .result = E::StateTimeout},
    TWaitCase{.name = "StuckRegister", .stuck = true, .result = E::StateTimeout, .elapsed = 705},
    // 300 ms before the wrap; then the full 700 ms again from 0.
    TWaitCase{.name = "TickWrapRestartsTheWait", .stuck = true, .tick = 0xFFFFFED4,
              .result = E::StateTimeout, .elapsed = 1005}),
    KL_VRXTest::RowName());
// clang-format on

}  // namespace
