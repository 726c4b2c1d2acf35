// A reply source decides each report on a unit's link: what a write
// reports and whether the unit gets it, what a read delivers and whether the
// firmware's queued reply is used up. The unit's link switches stand aside
// while one is set.
#include <optional>

#include "emulator_fixture.h"

namespace KL_VRXEmuTest {
namespace {

using KL_VRXEmu::KL_IReplySource;
using KL_VRXEmu::TReadOutcome;
using KL_VRXEmu::TWriteOutcome;

// Answers every write and read with the outcome it was given, and keeps
// what it was shown.
class TFixedSource final : public KL_IReplySource {
  public:
    TWriteOutcome OnWrite(const TBytes& report) override {
        writes.push_back(report);
        return write;
    }
    TReadOutcome OnRead(const TBytes* queuedReply, uint32_t bufferSize) override {
        shown.push_back(queuedReply != nullptr ? *queuedReply : TBytes{});
        sizes.push_back(bufferSize);
        return read;
    }

    TWriteOutcome write;
    TReadOutcome read;
    std::vector<TBytes> writes;
    std::vector<TBytes> shown;
    std::vector<uint32_t> sizes;
};

class ReplySourceTest : public EmulatorTest {
  protected:
    void SetUp() override {
        unit.SetReplySource(&source);
        handle = Open(unit.Path());
    }

    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(2);
    TFixedSource source;
    HANDLE handle = nullptr;
};

TEST_F(ReplySourceTest, WritesReportAndDeliverAsTheSourceSays) {
    const struct {
        const char* name;
        TWriteOutcome outcome;
        uint32_t error, written;
        size_t received;
    } rows[] = {
        {"whole report", {}, 0, 65, 1},
        {"failure, nothing delivered", {1167, std::nullopt, false}, 1167, 0, 0},
        {"failure after the unit got it", {31, 65u, true}, 31, 65, 1},
        {"short count", {0, 3u, true}, 0, 3, 1},
        {"count past the report", {0, 200u, true}, 0, 65, 1},
        {"lost on the way", {0, std::nullopt, false}, 0, 65, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        unit.ClearReceived();
        source.write = row.outcome;
        TBytes report(65, 0);
        report[1] = 33;
        uint32_t written = 99;
        const BOOL ok = os.WriteFile(handle, report.data(), 65, &written, nullptr);
        EXPECT_EQ(ok ? 0u : os.GetLastError(), row.error);
        EXPECT_EQ(written, row.written);
        EXPECT_EQ(unit.Received().size(), row.received);
        EXPECT_EQ(source.writes.back(), report);
    }
    // Windows' own refusals come first: the source never sees a short report.
    EXPECT_EQ(Send(handle, 33, 0, 64), ErrorInvalidParameter);
    EXPECT_EQ(source.writes.size(), std::size(rows));
}

TEST_F(ReplySourceTest, ReadsDeliverWhatTheSourceSays) {
    const TBytes queued = Reply({0, 18, 127});
    const struct {
        const char* name;
        TReadOutcome outcome;
        uint32_t error;
        TBytes delivered;
        bool stillQueued;
    } rows[] = {
        {"the queued reply", {0, queued, false}, 0, queued, false},
        {"another reply", {0, {0, 19, 7}, false}, 0, {0, 19, 7}, false},
        {"nothing yet", {0, {}, true}, 0, {}, true},
        {"a reply that comes again", {0, queued, true}, 0, queued, true},
        {"the reply lost", {0, {}, false}, 0, {}, false},
        {"longer than the buffer", {0, TBytes(80, 1), false}, 0, TBytes(65, 1), false},
        {"failure with bytes", {1167, {0, 18}, false}, 1167, {0, 18}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(Send(handle, 18), 0u);
        source.read = row.outcome;
        TBytes buffer(65, 0xEE);
        uint32_t count = 0xDEAD;
        const BOOL ok = os.ReadFile(handle, buffer.data(), 65, &count, nullptr);
        EXPECT_EQ(ok ? 0u : os.GetLastError(), row.error);
        ASSERT_LE(count, 65u);
        EXPECT_EQ(TBytes(buffer.begin(), buffer.begin() + count), row.delivered);
        EXPECT_EQ(source.shown.back(), queued);
        EXPECT_EQ(source.sizes.back(), 65u);
        // The next read shows what is left in the queue, then empties it.
        source.read = TReadOutcome{};
        Receive(handle);
        EXPECT_EQ(source.shown.back(), row.stillQueued ? queued : TBytes{});
    }
}

TEST_F(ReplySourceTest, TheLinkSwitchesStandAsideUntilTheSourceGoes) {
    unit.SetSilent(true);
    unit.FailWrites(31);
    ASSERT_EQ(Send(handle, 18), 0u);
    source.read = TReadOutcome{0, {0, 18, 1}, false};
    EXPECT_EQ(Receive(handle), TBytes({0, 18, 1}));

    unit.SetReplySource(nullptr);
    EXPECT_EQ(Send(handle, 18), 31u);
    unit.FailWrites(0);
    ASSERT_EQ(Send(handle, 18), 0u);
    EXPECT_TRUE(Receive(handle).empty());  // silent again
    EXPECT_EQ(source.writes.size(), 1u);
}

}  // namespace
}  // namespace KL_VRXEmuTest
