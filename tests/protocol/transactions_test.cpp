#include <functional>
#include <vector>

#include "channel_fixture.h"
#include "hid/hid_api.h"
#include "hid/report_io.h"

using KL_VRXEmu::TEmulatedUnit;
using E = ProtocolError;
using Op = std::function<ProtocolError(TVRXCommandChannel&)>;

namespace {

uint8_t block[70];
uint8_t value;
const uint8_t readMessage[2] = {0, VRXCommand::State18};

const Op writeOp = [](TVRXCommandChannel& c) { return c.WriteCommand(36, 3, VRXTimeout::Io); };
const Op readOp = [](TVRXCommandChannel& c) { return c.ReadRegister(21, value, VRXTimeout::Io); };
const Op waitOp = [](TVRXCommandChannel& c) { return c.WriteAndWait(36, 21, 3, 700, 3000); };
Op BlockOp(uint32_t count) {
    return [count](TVRXCommandChannel& c) { return c.ReadBlock(0, block, count); };
}
const Op sendOnlyOp = [](TVRXCommandChannel& c) { return c.SendOnly(readMessage); };
const Op applyOp = [](TVRXCommandChannel& c) { return c.ApplyLaunchMode(); };

}  // namespace

// Refused before anything is sent: no unit open (the first rows, while the
// channel has never opened one), or reports too small for the message or reply.
TEST_F(ChannelTest, RefusedRequestsSendNothing) {
    struct Case {
        uint16_t input, output;  // 0: no unit
        Op op;
    };
    const Case cases[] = {
        {0, 0, writeOp},    {0, 0, readOp},      {0, 0, waitOp},      {0, 0, BlockOp(3)},
        {0, 0, sendOnlyOp}, {0, 0, applyOp},     {2, 65, writeOp},    {2, 65, readOp},
        {2, 65, waitOp},    {2, 65, BlockOp(0)}, {65, 1, applyOp},    {65, 1, sendOnlyOp},
        {65, 2, writeOp},   {8, 65, BlockOp(7)}, {8, 65, BlockOp(9)},
    };
    for (const Case& c : cases) {
        TEmulatedUnit* unit = c.input > 0 ? &OpenedUnit(c.input, c.output) : nullptr;
        const unsigned writes = bus.Calls().writeFile;
        EXPECT_EQ(c.op(channel), unit ? E::InsufficientBuffer : E::NotOpened) << c.input;
        EXPECT_EQ(bus.Calls().writeFile, writes);
        EXPECT_EQ(Text(), unit ? "Insufficient buffer space." : "No VRX has been opened.");
        if (unit == nullptr)
            EXPECT_EQ(LastTransportStatus, TransportStatus::DeviceNotOpen);
        else
            bus.Detach(*unit);
    }
}

// One register read (time-out 10 ms) against a faulty unit. A failure leaves
// the output as it was and nothing is sent again. Empty reads are polled
// every 5 ms; only more than the time-out since the send fails, and a wrapped
// tick count starts the measurement again.
TEST_F(ChannelTest, RepliesAreTakenOnceAndEmptyReadsPolledUntilTheTimeOut) {
    using U = TEmulatedUnit&;
    using Fault = std::function<void(U)>;
    const auto empty = [](unsigned n) { return Fault([n](U u) { u.QueueEmptyReads(n); }); };
    const char* const ok = "Success.";
    const char* const late = "Have timed out trying to read from the device.";
    struct Case {
        Fault fault;
        uint32_t tick, pauses;
        const char* text;
    };
    const Case cases[] = {
        {[](U u) { u.SetReplyCode(0xFF); }, 0, 0, "A bad command was sent to the device."},
        {[](U u) { u.SetReplyCode(22); }, 0, 0, "The command was not echoed."},
        {[](U u) { u.SetWritesZeroBytes(true); }, 0, 0, "Problem sending data to VRX. Success."},
        {[](U u) { u.FailReads(31); }, 0, 0,
         "Problem reading data from VRX. Read fail. API error: 31."},
        {empty(3), 1000, 3, ok},            // the 3rd empty read comes at exactly 10 ms
        {empty(4), 1000, 3, late},          // the 4th at 15 ms
        {empty(100), 0xFFFFFFF8, 5, late},  // wraps at the 3rd: 10 ms more from 2
    };
    for (const Case& c : cases) {
        TEmulatedUnit& unit = OpenedUnit();
        c.fault(unit);
        bus.SetTick(c.tick);
        const KL_VRXEmu::TCallCounts before = bus.Calls();
        uint8_t read = 0xAA;
        EXPECT_EQ(channel.ReadRegister(21, read, 10), channel.lastError);
        EXPECT_EQ(read, c.text == ok ? 1 : 0xAA);  // register 21 starts at 1
        EXPECT_EQ(Text(), c.text);
        EXPECT_EQ(bus.Calls().writeFile, before.writeFile + 1);
        EXPECT_EQ(bus.Calls().sleep - before.sleep, c.pauses);
        EXPECT_EQ(bus.Tick() - c.tick, 5 * c.pauses);
        bus.Detach(unit);
    }
}

// Replies queued ahead of the transaction are taken as they come, so they
// script what the polls see: the value, another, then the value twice.
// Writing code 36 without a value byte is a write of 0, echoed with 0.
TEST_F(ChannelTest, PollsGoOutAsPaddedReportsAndTheStateNeedsTwoMatchesInARow) {
    TEmulatedUnit& unit = OpenedUnit(8, 9);
    unit.SetBlock(0, {1, 2, 3, 4, 5, 6});  // all that an 8-byte reply carries
    ASSERT_EQ(BlockOp(6)(channel), E::Success);
    EXPECT_EQ(std::vector<uint8_t>(block, block + 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    for (uint8_t written : {9, 0, 7}) {
        const uint8_t write[3] = {0, 36, written};
        uint32_t length = 3;
        ASSERT_EQ(SendReport(*channel.device, write, length), TransportStatus::Success);
    }
    unit.ClearReceived();
    const unsigned sleeps = bus.Calls().sleep;
    EXPECT_EQ(channel.WriteAndWait(36, 36, 0, 700, 3000), E::Success);
    // The write and four polls, each a full output report padded with zeros.
    EXPECT_EQ(unit.Received(), std::vector(5, std::vector<uint8_t>{0, 36, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bus.Calls().sleep - sleeps, 1u);
}

TEST_F(ChannelTest, StateReachedAfterTheTransitionTimeOutFails) {
    struct Case {
        uint32_t latency, transition, timeout;
        ProtocolError result;
    };
    const Case cases[] = {
        {0, 700, 700, E::Success},       // both matches at exactly the time-out
        {0, 701, 700, E::StateTimeout},  // first match at 705 ms
        {1, 16, 18, E::Success},         // matches checked at 16 and 18 ms
        {1, 16, 17, E::StateTimeout},    // the second one is late
    };
    for (const Case& c : cases) {
        TEmulatedUnit& unit = OpenedUnit();
        bus.SetReportLatency(c.latency);
        unit.SetTransitionTime(21, c.transition);
        EXPECT_EQ(channel.WriteAndWait(36, 21, 3, c.timeout, 3000), c.result) << c.transition;
        bus.Detach(unit);
    }
}
