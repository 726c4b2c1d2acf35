// Two controllers of one unit in one process. Both kernels hand every input
// report to every handle open on the unit, and the emulator does the same,
// so controllers that each read a handle of their own take each other's
// replies: a missing echo, or an old value that passes for the unit's.
// Used in turn on one thread and at once on two threads, each controller
// gets its own replies, in both families, with the traffic log off and on.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "KL_VRX/KL_VRX.h"
#include "KL_VRX/emulator.h"
#include "support/temp_dir.h"

namespace {

using KL_VRXEmu::TEmulatedBus;
using KL_VRXEmu::TEmulatedUnit;
using KL_VRXSDK::KL_IVRX;

struct TRow {
    unsigned family;
    bool log;
};
constexpr TRow Rows[] = {{1, false}, {1, true}, {2, false}, {2, true}};

// One bus with one unit of the row's family and two controllers of it.
struct TTwoControllers {
    explicit TTwoControllers(const TRow& row) : unit(bus.AttachUnit(row.family)) {
        bus.SetDriveRoot(drive.Path());
        for (KL_IVRX*& vrx : controllers) {
            vrx = CreateVRX(1);
            if (vrx != nullptr && row.log)
                GetVRX2(vrx)->SetLogging(true);
        }
    }
    ~TTwoControllers() {
        for (KL_IVRX* vrx : controllers)
            DeleteVRX(vrx);
    }
    bool Created() const { return controllers[0] != nullptr && controllers[1] != nullptr; }

    TEmulatedBus bus;
    KL_VRXTest::TTempDir drive;
    TEmulatedUnit& unit;
    KL_IVRX* controllers[2] = {};
};

// Sets position 22 (API 0 and 1: device 2 and 1) through one controller and
// reads it through the other, then through itself; "" when all went right.
std::string SetAndRead(KL_IVRX& writer, KL_IVRX& reader, TEmulatedUnit& unit, uint32_t value) {
    if (writer.SetPosition22(value) != 0)
        return std::string("set: ") + writer.GetLastErrorText();
    if (unit.Register(22) != 2 - value)
        return "the unit did not take the set";
    for (KL_IVRX* vrx : {&reader, &writer}) {
        uint32_t got = 9;
        if (vrx->GetPosition22(&got) != 0)
            return std::string("get: ") + vrx->GetLastErrorText();
        if (got != value)
            return "read " + std::to_string(got) + " after setting " + std::to_string(value);
    }
    return "";
}

TEST(SharedUnit, TwoControllersInTurnOnOneThread) {
    for (const TRow& row : Rows) {
        SCOPED_TRACE("family " + std::to_string(row.family) + (row.log ? ", log on" : ""));
        TTwoControllers two(row);
        ASSERT_TRUE(two.Created()) << GetLastVRXDLLError();
        KL_IVRX* a = two.controllers[0];
        KL_IVRX* b = two.controllers[1];
        for (uint32_t i = 0; i < 4; ++i)
            EXPECT_EQ(SetAndRead(i % 2 ? *a : *b, i % 2 ? *b : *a, two.unit, i % 2), "");
        // Closing one controller leaves the other working.
        EXPECT_EQ(DeleteVRX(a), 0u);
        two.controllers[0] = nullptr;
        uint32_t number = 0;
        EXPECT_EQ(GetVRX2(b)->GetDeviceNumber(&number), 0u) << b->GetLastErrorText();
        EXPECT_EQ(number, 12345678u);
        EXPECT_EQ(SetAndRead(*b, *b, two.unit, 1), "");
    }
}

TEST(SharedUnit, TwoControllersAtOnceOnTwoThreads) {
    for (const TRow& row : Rows) {
        SCOPED_TRACE("family " + std::to_string(row.family) + (row.log ? ", log on" : ""));
        TTwoControllers two(row);
        ASSERT_TRUE(two.Created()) << GetLastVRXDLLError();
        // Each thread owns one element, so every value it reads back must be
        // the one it set; the device number is the unit's for both.
        std::string faults[2];
        std::thread other([&] {
            KL_IVRX& vrx = *two.controllers[1];
            for (uint32_t i = 0; i < 200 && faults[1].empty(); ++i) {
                uint32_t got = 9;
                if (vrx.SetPosition21(i % 3) != 0 || vrx.GetPosition21(&got) != 0)
                    faults[1] = vrx.GetLastErrorText();
                else if (got != i % 3)
                    faults[1] = "position 21 read " + std::to_string(got);
            }
        });
        KL_IVRX& vrx = *two.controllers[0];
        for (uint32_t i = 0; i < 200 && faults[0].empty(); ++i) {
            uint32_t got = 9;
            uint32_t number = 0;
            if (vrx.SetPosition22(i % 2) != 0 || vrx.GetPosition22(&got) != 0 ||
                GetVRX2(&vrx)->GetDeviceNumber(&number) != 0)
                faults[0] = vrx.GetLastErrorText();
            else if (got != i % 2 || number != 12345678u)
                faults[0] = "read " + std::to_string(got) + " and " + std::to_string(number);
        }
        other.join();
        EXPECT_EQ(faults[0], "");
        EXPECT_EQ(faults[1], "");
    }
}

}  // namespace
