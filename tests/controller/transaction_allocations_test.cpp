// The report path allocates nothing per transaction. operator new is counted
// around a register read and an awaited set once the unit is open and one
// round has run: with the log off, held for the next failure, or written to
// its file, on units whose reports fit 64 bytes and on longer ones. The
// count includes the emulator's own share, which is zero as well.
#include <ostream>

#include "controller/controller_fixture.h"
#include "support/allocation_counter.h"
#include "support/temp_dir.h"

namespace {

using namespace KL_VRXTest;

struct TAllocationCase {
    const char* name;
    bool logging;
    uint8_t dumpFlag;       // 0: every record to the file at once
    uint16_t reportLength;  // input and output, report ID included

    friend void PrintTo(const TAllocationCase& c, std::ostream* out) { *out << c.name; }
};

class TransactionAllocations : public TControllerTest,
                               public ::testing::WithParamInterface<TAllocationCase> {};

TEST_P(TransactionAllocations, AreNone) {
    const TAllocationCase& c = GetParam();
    TTempDir drive;
    bus.SetDriveRoot(drive.Path());
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(2);
    unit.SetReportLengths(c.reportLength, c.reportLength);
    auto controller = OpenController(2, 1, &unit);
    if (c.logging) {
        ASSERT_EQ(controller->SetLogging(true), 0u);
        ASSERT_EQ(controller->SetLogDumpFlag(c.dumpFlag), 0u);
    }
    uint32_t position = 0;
    ASSERT_EQ(controller->GetPosition21(&position), 0u) << controller->GetLastErrorText();
    ASSERT_EQ(controller->SetPosition21(2), 0u) << controller->GetLastErrorText();
    unit.ClearReceived();

    const uint64_t before = AllocationCount();
    EXPECT_EQ(controller->GetPosition21(&position), 0u);
    EXPECT_EQ(controller->SetPosition21(3), 0u);
    EXPECT_EQ(AllocationCount() - before, 0u);
    EXPECT_EQ(position, 2u);
    EXPECT_EQ(unit.Received().size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(Units, TransactionAllocations,
                         ::testing::Values(TAllocationCase{"LogOff", false, 0, 65},
                                           TAllocationCase{"LogHeld", true, 1, 65},
                                           TAllocationCase{"LogToFile", true, 0, 65},
                                           TAllocationCase{"LongReportsLogToFile", true, 0, 200}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
