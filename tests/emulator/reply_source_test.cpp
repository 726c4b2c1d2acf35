// A reply source decides each report on a unit's link: what a write
// reports and whether the unit gets it, what a read delivers and whether the
// firmware's queued reply is used up. The unit's link switches stand aside
// while one is set.
#include "emulator_fixture.h"
#include "support/row_name.h"

namespace KL_VRXEmuTest {
namespace {

using KL_VRXEmu::TEmulatedUnit;
using KL_VRXEmu::TReadOutcome;
using KL_VRXEmu::TWriteOutcome;

struct TSourceCase {
    const char* name;
    TWriteOutcome write = {};
    TReadOutcome read = {};
    bool echo = false;  // the source's reads deliver the reply the firmware queued
    uint32_t writeError = 0;
    uint32_t written = 65;
    size_t received = 1;                                  // reports the firmware got
    std::vector<std::pair<uint32_t, TBytes>> reads = {};  // each read's error and bytes
    bool kept = false;  // the reply still waits once the source is gone
};

// Answers as a row says, and keeps the reports it was shown.
class TRowSource final : public KL_VRXEmu::KL_IReplySource {
  public:
    explicit TRowSource(const TSourceCase& row) : row(row) {}
    TWriteOutcome OnWrite(const TBytes& report) override {
        writes.push_back(report);
        return row.write;
    }
    TReadOutcome OnRead(const TBytes* queuedReply, uint32_t bufferSize) override {
        EXPECT_EQ(bufferSize, 65u);
        TReadOutcome outcome = row.read;
        if (row.echo && queuedReply != nullptr)
            outcome.bytes = *queuedReply;
        return outcome;
    }

    std::vector<TBytes> writes;

  private:
    const TSourceCase& row;
};

class ReplySource : public EmulatorTest, public ::testing::WithParamInterface<TSourceCase> {};

TEST_P(ReplySource, DecidesWritesAndReads) {
    const TSourceCase& c = GetParam();
    TEmulatedUnit& unit = bus.AttachUnit(1);
    TRowSource source(c);
    unit.SetSilent(true);  // link switches that stand aside for a source
    unit.FailWrites(31);
    unit.SetReplySource(&source);
    HANDLE h = Open(unit.Path());
    const TBytes report = Reply({0, 18});
    uint32_t written = 99;
    const BOOL ok = os.WriteFile(h, report.data(), 65, &written, nullptr);
    EXPECT_EQ(ok ? 0u : os.GetLastError(), c.writeError);
    EXPECT_EQ(written, c.written);
    EXPECT_EQ(unit.Received().size(), c.received);
    for (const auto& [readError, bytes] : c.reads) {
        EXPECT_EQ(Receive(h), bytes);
        EXPECT_EQ(error, readError);
    }
    // Windows' own refusals come first: a source never sees a short report.
    EXPECT_EQ(Send(h, 18, 0, 64), ErrorInvalidParameter);
    EXPECT_EQ(source.writes, std::vector<TBytes>{report});

    unit.SetReplySource(nullptr);
    EXPECT_EQ(Send(h, 19), 31u);  // the switches decide again
    unit.SetSilent(false);
    EXPECT_EQ(!Receive(h).empty(), c.kept);
}

const TBytes Reply18 = Reply({0, 18, 127});

// clang-format off
INSTANTIATE_TEST_SUITE_P(EmulatedBus, ReplySource, ::testing::Values(
    TSourceCase{.name = "PassesAll", .echo = true, .reads = {{0, Reply18}}},
    TSourceCase{.name = "FailsWriteUndelivered", .write = {1167, {}, false},
                .read = {0, TBytes(80, 1), false}, .writeError = 1167, .written = 0,
                .received = 0, .reads = {{0, TBytes(65, 1)}}},
    TSourceCase{.name = "FailsBothAfterDelivery", .write = {31, 65u, true},
                .read = {1167, {0, 18}, false}, .writeError = 31, .reads = {{1167, {0, 18}}}},
    TSourceCase{.name = "ShortCountNothingYet", .write = {0, 3u, true}, .read = {0, {}, true},
                .written = 3, .reads = {{0, {}}}, .kept = true},
    TSourceCase{.name = "CountPastReportReplyAgain", .write = {0, 200u, true},
                .read = {0, {}, true}, .echo = true, .reads = {{0, Reply18}, {0, Reply18}},
                .kept = true},
    TSourceCase{.name = "LosesWriteInventsReply", .write = {0, {}, false},
                .read = {0, {0, 19, 7}, false}, .received = 0, .reads = {{0, {0, 19, 7}}}}),
    KL_VRXTest::RowName());
// clang-format on

}  // namespace
}  // namespace KL_VRXEmuTest
