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
using KL_VRXSDK::KL_IVRX;

struct TRow {
    unsigned family;
    bool log;
};
constexpr TRow Rows[] = {{1, false}, {1, true}, {2, false}, {2, true}};

// Sets and reads back position 21 (0 to 2) or 22 (0 and 1) count times, and
// the unit's device number each time: the first fault, "" when none.
std::string Drive(KL_IVRX& vrx, bool position21, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t value = position21 ? i % 3 : i % 2;
        uint32_t got = 9;
        uint32_t number = 0;
        if ((position21 ? vrx.SetPosition21(value) : vrx.SetPosition22(value)) != 0 ||
            (position21 ? vrx.GetPosition21(&got) : vrx.GetPosition22(&got)) != 0 ||
            GetVRX2(&vrx)->GetDeviceNumber(&number) != 0)
            return vrx.GetLastErrorText();
        if (got != value || number != 12345678u)
            return "read " + std::to_string(got) + " and " + std::to_string(number);
    }
    return "";
}

TEST(SharedUnit, TwoControllersInTurnOnOneThreadThenAtOnceOnTwo) {
    for (const TRow& row : Rows) {
        SCOPED_TRACE("family " + std::to_string(row.family) + (row.log ? ", log on" : ""));
        TEmulatedBus bus;
        KL_VRXTest::TTempDir drive;
        bus.SetDriveRoot(drive.Path());
        bus.AttachUnit(row.family);
        KL_IVRX* a = CreateVRX(1);
        KL_IVRX* b = CreateVRX(1);
        ASSERT_TRUE(a != nullptr && b != nullptr) << GetLastVRXDLLError();
        for (KL_IVRX* vrx : {a, b})
            GetVRX2(vrx)->SetLogging(row.log);
        // In turn: what one sets, the other reads.
        for (uint32_t i = 0; i < 4; ++i) {
            uint32_t got = 9;
            EXPECT_EQ((i % 2 ? a : b)->SetPosition22(i % 2), 0u);
            EXPECT_EQ((i % 2 ? b : a)->GetPosition22(&got), 0u);
            EXPECT_EQ(got, i % 2);
        }
        // At once: each thread owns one element, so it reads back what it set.
        std::string other;
        std::thread thread([&] { other = Drive(*b, true, 1000); });
        EXPECT_EQ(Drive(*a, false, 1000), "");
        thread.join();
        EXPECT_EQ(other, "");
        // Closing one controller leaves the other working.
        EXPECT_EQ(DeleteVRX(a), 0u);
        EXPECT_EQ(Drive(*b, true, 3), "");
        EXPECT_EQ(DeleteVRX(b), 0u);
    }
}

}  // namespace
