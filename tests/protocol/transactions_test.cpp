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
const uint8_t readMessage[2] = {0, VRXCommand::State18};

const Op writeOp = [](TVRXCommandChannel& c) { return c.WriteCommand(36, 3, VRXTimeout::Io); };
const Op readOp = [](TVRXCommandChannel& c) {
    uint8_t v = 0;
    return c.ReadRegister(21, v, VRXTimeout::Io);
};
const Op waitOp = [](TVRXCommandChannel& c) { return c.WriteAndWait(36, 21, 3, 700, 3000); };
Op BlockOp(uint32_t count) {
    return [count](TVRXCommandChannel& c) { return c.ReadBlock(0, block, count); };
}
const Op sendOnlyOp = [](TVRXCommandChannel& c) { return c.SendOnly(readMessage); };
const Op applyOp = [](TVRXCommandChannel& c) { return c.ApplyLaunchMode(); };

}  // namespace

TEST_F(ChannelTest, WithoutAnOpenUnitNothingIsSent) {
    TEmulatedUnit& unit = bus.AttachUnit(1);
    for (const Op& op : {writeOp, readOp, waitOp, BlockOp(3), sendOnlyOp, applyOp}) {
        EXPECT_EQ(op(channel), E::NotOpened);
        EXPECT_EQ(LastTransportStatus, TransportStatus::DeviceNotOpen);
        EXPECT_EQ(Text(), "No VRX has been opened.");
    }
    EXPECT_TRUE(unit.Received().empty());
    EXPECT_EQ(bus.Calls().writeFile, 0u);

    UnloadHidApi();
    bus.SetHidLibraryLoads(false);
    EXPECT_EQ(readOp(channel), E::NotOpened);
    EXPECT_EQ(LastTransportStatus, TransportStatus::ApiLoadFailed);
    EXPECT_EQ(Text(), "No VRX has been opened.");
}

TEST_F(ChannelTest, ReportsTooSmallForTheRequestAreRefusedWithoutTraffic) {
    struct Case {
        uint16_t input, output;
        Op op;
    };
    const Case cases[] = {
        {2, 65, writeOp},    {2, 65, readOp},     {2, 65, waitOp},  {2, 65, BlockOp(0)},
        {65, 1, applyOp},    {65, 1, sendOnlyOp}, {65, 2, writeOp}, {8, 65, BlockOp(7)},
        {8, 65, BlockOp(8)}, {8, 65, BlockOp(9)},
    };
    for (const Case& c : cases) {
        TEmulatedUnit& unit = OpenedUnit(c.input, c.output);
        const unsigned writes = bus.Calls().writeFile;
        EXPECT_EQ(c.op(channel), E::InsufficientBuffer) << c.input << "/" << c.output;
        EXPECT_EQ(bus.Calls().writeFile, writes);
        bus.Detach(unit);
    }
}

TEST_F(ChannelTest, MessagesGoOutAsFullZeroPaddedReports) {
    TEmulatedUnit& unit = OpenedUnit(8, 9);
    unit.SetBlock(0, {1, 2, 3, 4, 5, 6});
    ASSERT_EQ(BlockOp(6)(channel), E::Success);
    EXPECT_EQ(std::vector<uint8_t>(block, block + 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(writeOp(channel), E::Success);
    EXPECT_EQ(unit.Received(), (std::vector<std::vector<uint8_t>>{{0, 0, 0, 0, 0, 0, 0, 0, 0},
                                                                  {0, 36, 3, 0, 0, 0, 0, 0, 0}}));
}

TEST_F(ChannelTest, FailedRepliesLeaveTheOutputAndAreNotResent) {
    struct Case {
        std::function<void(TEmulatedUnit&)> fault;
        ProtocolError result;
        const char* text;
    };
    const Case cases[] = {
        {[](TEmulatedUnit& u) { u.SetReplyCode(0xFF); }, E::BadCommand,
         "A bad command was sent to the device."},
        {[](TEmulatedUnit& u) { u.SetReplyCode(22); }, E::NotEchoed, "The command was not echoed."},
        {[](TEmulatedUnit& u) { u.SetWritesZeroBytes(true); }, E::SendFailed,
         "Problem sending data to VRX. Success."},
        {[](TEmulatedUnit& u) { u.FailWrites(31); }, E::SendFailed,
         "Problem sending data to VRX. Send fail. API error: 31."},
        {[](TEmulatedUnit& u) { u.FailReads(31); }, E::ReadFailed,
         "Problem reading data from VRX. Read fail. API error: 31."},
    };
    for (const Case& c : cases) {
        TEmulatedUnit& unit = OpenedUnit();
        c.fault(unit);
        const unsigned writes = bus.Calls().writeFile;
        uint8_t value = 0xAA;
        EXPECT_EQ(channel.ReadRegister(21, value, VRXTimeout::Io), c.result);
        EXPECT_EQ(value, 0xAA);
        EXPECT_EQ(Text(), c.text);
        EXPECT_EQ(bus.Calls().writeFile, writes + 1);
        bus.Detach(unit);
    }
}

// Empty reads are polled every 5 ms; only more than the time-out since the
// send fails, and a wrapped tick count starts the measurement again.
TEST_F(ChannelTest, EmptyReadsArePolledUntilMoreThanTheTimeOutHasPassed) {
    struct Case {
        uint32_t startTick;
        unsigned emptyReads;
        ProtocolError result;
        unsigned pauses;
    };
    const Case cases[] = {
        {1000, 3, E::Success, 3},              // the 3rd empty read comes at exactly 10 ms
        {1000, 4, E::ReadTimeout, 3},          // the 4th at 15 ms
        {0xFFFFFFF8, 100, E::ReadTimeout, 5},  // wraps at the 3rd read: 10 ms more from 2
    };
    for (const Case& c : cases) {
        TEmulatedUnit& unit = OpenedUnit();
        unit.QueueEmptyReads(c.emptyReads);
        bus.SetTick(c.startTick);
        const unsigned sleeps = bus.Calls().sleep;
        uint8_t value = 0;
        EXPECT_EQ(channel.ReadRegister(21, value, 10), c.result) << c.emptyReads;
        EXPECT_EQ(bus.Calls().sleep - sleeps, c.pauses);
        EXPECT_EQ(bus.Tick() - c.startTick, 5 * c.pauses);
        bus.Detach(unit);
    }
}

// Replies queued ahead of the transaction are taken as they come, so they
// script what the polls see: the value, another, then the value twice.
// Writing code 36 without a value byte is a write of 0, echoed with 0.
TEST_F(ChannelTest, StateIsReachedOnlyOnTwoMatchingPollsInARow) {
    TEmulatedUnit& unit = OpenedUnit();
    for (uint8_t value : {9, 0, 7}) {
        const uint8_t write[3] = {0, 36, value};
        uint32_t length = 3;
        ASSERT_EQ(SendReport(*channel.device, write, length), TransportStatus::Success);
    }
    unit.ClearReceived();
    const unsigned sleeps = bus.Calls().sleep;
    EXPECT_EQ(channel.WriteAndWait(36, 36, 0, 700, 3000), E::Success);
    EXPECT_EQ(unit.Received().size(), 5u);  // the write and four polls
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
        bus.SetReportLatency(0);
        bus.Detach(unit);
    }
}
