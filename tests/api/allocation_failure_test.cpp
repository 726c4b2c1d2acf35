// Running out of memory, at every allocation an operation or an export
// makes: on the simulated unit and on an emulated unit, the N-th allocation
// fails for every N the operation reaches (the emulator's own allocations
// included, as the real OS layer's could fail). No exception leaves the
// library, the result is the documented one, the controller can still be
// deleted, the library goes on serving another unit, and (under the address
// sanitizer) nothing leaks.
//
// The unit itself may be out of step afterwards: a transaction cut short
// between its write and its read leaves the reply queued, and the next
// command on that unit reads it as its own (a stale reply is never skipped,
// after a time-out either). So the check that the library recovers runs on a
// second unit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "KL_VRX/KL_VRX.h"
#include "KL_VRX/emulator.h"
#include "support/allocation_counter.h"
#include "support/row_name.h"
#include "support/temp_dir.h"

namespace {

using KL_VRXEmu::TEmulatedBus;
using KL_VRXSDK::KL_IVRX;
using KL_VRXSDK::KLSYS_IVRX;
using KL_VRXTest::AllocationCount;
using KL_VRXTest::AllocationFailed;
using KL_VRXTest::FailNthAllocation;

constexpr uint32_t Aborted = 5;

// The simulated unit (host index 0) or an emulated family-1 unit (1); the
// second family-1 unit (2) is the witness that the library recovered.
constexpr int32_t Units[] = {0, 1};
constexpr int32_t Witness = 2;

// One library state per attempt: a fresh bus with the units, the log's "C:\"
// in a directory of the test's own. At its end, every controller deleted,
// the library holds nothing open on the bus: no handle, device-information
// set, preparsed data or reference to hid.dll.
class TAttempt {
  public:
    explicit TAttempt(const KL_VRXTest::TTempDir& drive) {
        bus.SetDriveRoot(drive.Path());
        bus.AttachUnit(1);
        bus.AttachUnit(1);
    }
    ~TAttempt() {
        const KL_VRXEmu::TOpenObjects open = bus.OpenObjects();
        EXPECT_EQ(open.handles, 0u);
        EXPECT_EQ(open.deviceInfoSets, 0u);
        EXPECT_EQ(open.preparsedData, 0u);
        EXPECT_EQ(open.hidReferences, 0u);
    }

  private:
    TEmulatedBus bus;
};

// Runs attempt(n) for n = 0 (nothing fails: the baseline, which also counts
// the allocations it makes) and then for n = 1, 2, ... up to that count, the
// n-th allocation of the measured part failing. attempt arms through Arm
// around the part to measure.
class TSweep {
  public:
    // Around the part of an attempt that runs out of memory.
    void Arm() {
        before = AllocationCount();
        FailNthAllocation(n);
    }
    void Disarm() {
        FailNthAllocation(0);
        if (n == 0)
            allocations = AllocationCount() - before;
    }
    template <typename TAttemptFn>
    void Run(TAttemptFn attempt) {
        for (n = 0; n <= allocations; ++n) {
            attempt(*this);
            if (::testing::Test::HasFailure())
                break;
        }
    }

    uint64_t n = 0;  // the allocation that fails; 0: none

  private:
    uint64_t before = 0;
    uint64_t allocations = 0;
};

// ---- The operations that allocate ---------------------------------------------------------------
// One row per path: a register read, an awaited set, a write alone, the long
// wait, a block read, the log, the count, opening and closing (the other
// elements' reads and sets take the same paths). Those that allocate nothing
// (the settings kept in the controller, the callbacks) have no row.

struct TOperation {
    const char* name;
    uint32_t (*run)(KLSYS_IVRX& vrx, int32_t hostIndex);
    // Set before the measured part: the traffic log written to its file at
    // once or held for the next failure.
    enum { LogOff, LogToFile, LogHeld } log = LogOff;
    // Open runs on a closed controller: a park that runs out of memory is
    // left out, and the park's reply may then stand in the way of the open's
    // first command (the Close rows cover the park).
    bool closed = false;
};

class OperationsOutOfMemory : public ::testing::TestWithParam<TOperation> {};

// A controller of the witness unit opens, reads and is deleted: the library
// was left in order (lock free, binding and path list sound).
void ExpectTheLibraryServes() {
    KL_IVRX* witness = CreateVRX(Witness);
    ASSERT_NE(witness, nullptr) << GetLastVRXDLLError();
    uint32_t position = 0;
    EXPECT_EQ(witness->GetPosition21(&position), 0u) << witness->GetLastErrorText();
    EXPECT_EQ(DeleteVRX(witness), 0u);
}

// Each allocation the operation makes fails in turn. The operation then
// either gets over it (a log record or a park left out: the status of the
// run without failure) or fails with 5 and "Out of memory."; the controller
// is deleted, and the library serves on.
TEST_P(OperationsOutOfMemory, FailWithTheirStatusAndText) {
    const TOperation& op = GetParam();
    KL_VRXTest::TTempDir drive;
    for (const int32_t unit : Units) {
        SCOPED_TRACE(unit == 0 ? "simulated" : "emulated");
        uint32_t baseline = 0;
        TSweep().Run([&](TSweep& sweep) {
            TAttempt attempt(drive);
            KL_IVRX* created = CreateVRX(unit);
            ASSERT_NE(created, nullptr) << GetLastVRXDLLError();
            auto& vrx = dynamic_cast<KLSYS_IVRX&>(*created);
            if (op.closed)
                vrx.Close(false);
            if (op.log != TOperation::LogOff)
                vrx.SetLogging(true);
            if (op.log == TOperation::LogHeld)
                vrx.SetLogDumpFlag(1);
            sweep.Arm();
            const uint32_t status = op.run(vrx, unit);
            sweep.Disarm();
            const std::string text = vrx.GetLastErrorText();
            if (sweep.n == 0) {
                baseline = status;
            } else {
                EXPECT_TRUE(AllocationFailed()) << "allocation " << sweep.n << " never made";
                if (status != baseline) {
                    EXPECT_EQ(status, Aborted) << "allocation " << sweep.n;
                    EXPECT_EQ(text, "Out of memory.") << "allocation " << sweep.n;
                }
            }
            EXPECT_EQ(DeleteVRX(&vrx), 0u);
            ExpectTheLibraryServes();
        });
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Api, OperationsOutOfMemory, ::testing::Values(
    TOperation{.name = "GetPosition21", .run = [](KLSYS_IVRX& v, int32_t) { uint32_t x; return v.GetPosition21(&x); }},
    TOperation{.name = "SetPosition21", .run = [](KLSYS_IVRX& v, int32_t) { return v.SetPosition21(2); }},
    TOperation{.name = "SetState224", .run = [](KLSYS_IVRX& v, int32_t) { return v.SetState224(1); }},
    TOperation{.name = "SetState18", .run = [](KLSYS_IVRX& v, int32_t) { return v.SetState18(1); }},
    TOperation{.name = "GetDeviceInfo", .run = [](KLSYS_IVRX& v, int32_t) { uint32_t a, b, c; return v.GetDeviceInfo(&a, &b, &c); }},
    TOperation{.name = "SetLogging", .run = [](KLSYS_IVRX& v, int32_t) { return v.SetLogging(true); }},
    TOperation{.name = "GetDeviceCount", .run = [](KLSYS_IVRX& v, int32_t) { int32_t x; return v.GetDeviceCount(&x); }},
    TOperation{.name = "Open", .run = [](KLSYS_IVRX& v, int32_t unit) { return v.Open(unit, 0); }, .closed = true},
    TOperation{.name = "Close", .run = [](KLSYS_IVRX& v, int32_t) { return v.Close(true); }},
    // The traffic log's records and dumps allocate at every step.
    TOperation{.name = "SetPosition21Logged", .run = [](KLSYS_IVRX& v, int32_t) { return v.SetPosition21(2); }, .log = TOperation::LogToFile},
    TOperation{.name = "OpenLogged", .run = [](KLSYS_IVRX& v, int32_t unit) { return v.Open(unit, 0); }, .log = TOperation::LogHeld, .closed = true},
    TOperation{.name = "CloseLogged", .run = [](KLSYS_IVRX& v, int32_t) { return v.Close(true); }, .log = TOperation::LogHeld}),
    KL_VRXTest::RowName());
// clang-format on

// ---- The exports ------------------------------------------------------------------------------

TEST(CountOutOfMemory, FailsWithFiveAndItsText) {
    KL_VRXTest::TTempDir drive;
    TSweep().Run([&](TSweep& sweep) {
        TAttempt attempt(drive);
        uint32_t count = 0;
        sweep.Arm();
        const uint32_t status = GetVRXDeviceCount(&count);
        sweep.Disarm();
        if (sweep.n > 0 && status != 0) {
            EXPECT_EQ(status, Aborted) << "allocation " << sweep.n;
            EXPECT_STREQ(GetLastVRXDLLError(), "Out of memory while counting VRX devices.");
        } else {
            EXPECT_EQ(status, 0u);
            EXPECT_EQ(count, 3u);
        }
        ExpectTheLibraryServes();
    });
}

class ExportsOutOfMemory : public ::testing::TestWithParam<int32_t> {};

// A creation that runs out of memory returns null with a text that says so
// (the exports' own, or the open's that the creation passes on), and leaves
// nothing behind.
TEST_P(ExportsOutOfMemory, CreationReturnsNullWithItsText) {
    const int32_t unit = GetParam();
    KL_VRXTest::TTempDir drive;
    TSweep().Run([&](TSweep& sweep) {
        TAttempt attempt(drive);
        sweep.Arm();
        KL_IVRX* vrx = CreateVRX(unit);
        sweep.Disarm();
        if (vrx == nullptr) {
            EXPECT_GT(sweep.n, 0u);
            EXPECT_EQ(std::strncmp(GetLastVRXDLLError(), "Out of memory", 13), 0)
                << "allocation " << sweep.n << ": " << GetLastVRXDLLError();
        }
        EXPECT_EQ(DeleteVRX(vrx), 0u);
        ExpectTheLibraryServes();
    });
}

// Deletion parks and closes whatever runs out: it never fails, never throws
// and never ends the process, the traffic log on or off.
TEST_P(ExportsOutOfMemory, DeletionAlwaysSucceeds) {
    const int32_t unit = GetParam();
    KL_VRXTest::TTempDir drive;
    for (const bool logged : {false, true}) {
        SCOPED_TRACE(logged ? "log on" : "log off");
        TSweep().Run([&](TSweep& sweep) {
            TAttempt attempt(drive);
            KL_IVRX* vrx = CreateVRX(unit);
            ASSERT_NE(vrx, nullptr) << GetLastVRXDLLError();
            GetVRX2(vrx)->SetLogging(logged);
            sweep.Arm();
            const uint32_t status = DeleteVRX(vrx);
            sweep.Disarm();
            EXPECT_EQ(status, 0u) << "allocation " << sweep.n;
            ExpectTheLibraryServes();
        });
    }
}

INSTANTIATE_TEST_SUITE_P(Api, ExportsOutOfMemory, ::testing::ValuesIn(Units), [](const auto& info) {
    return info.param == 0 ? "SimulatedUnit" : "EmulatedUnit";
});

}  // namespace
