// Two controllers of one hidraw unit, in turn on one thread and at once on
// two threads: hidraw gives each open file a copy of every report, and each
// controller still reads only its own replies.
#include <string>
#include <thread>

#include "umockdev/host_fixture.h"

namespace {

using namespace KL_VRXTest;

using HidrawSharedUnit = HidrawHostP<unsigned>;

// Sets position 21 through one controller, reads it through both; "" when right.
std::string SetAndRead(KL_VRXSDK::KL_IVRX& writer, KL_VRXSDK::KL_IVRX& reader, uint32_t value) {
    if (writer.SetPosition21(value) != 0)
        return std::string("set: ") + writer.GetLastErrorText();
    for (KL_VRXSDK::KL_IVRX* vrx : {&reader, &writer}) {
        uint32_t got = 9;
        if (vrx->GetPosition21(&got) != 0)
            return std::string("get: ") + vrx->GetLastErrorText();
        if (got != value)
            return "read " + std::to_string(got) + " after setting " + std::to_string(value);
    }
    return "";
}

TEST_P(HidrawSharedUnit, TwoControllersInTurnThenAtOnce) {
    TFakeUnit& unit = bed.PlugUnit(GetParam());
    TVRX a = Create(1);
    TVRX b = Create(1);
    ASSERT_TRUE(a && b) << GetLastVRXDLLError();
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(SetAndRead(i % 2 ? *a : *b, i % 2 ? *b : *a, i % 3), "");

    std::string faults[2];
    std::thread other([&] {
        for (uint32_t i = 0; i < 50 && faults[1].empty(); ++i) {
            uint32_t got = 9;
            if (b->SetPosition22(i % 2) != 0 || b->GetPosition22(&got) != 0 || got != i % 2)
                faults[1] = std::string("22: ") + b->GetLastErrorText();
        }
    });
    for (uint32_t i = 0; i < 50 && faults[0].empty(); ++i) {
        uint32_t got = 9;
        if (a->SetPosition21(i % 3) != 0 || a->GetPosition21(&got) != 0 || got != i % 3)
            faults[0] = std::string("21: ") + a->GetLastErrorText();
    }
    other.join();
    EXPECT_EQ(faults[0], "");
    EXPECT_EQ(faults[1], "");
    EXPECT_EQ(unit.Opens(), 1u);  // one handle of the process, shared
    a.reset();
    EXPECT_EQ(SetAndRead(*b, *b, 2), "");
}

INSTANTIATE_TEST_SUITE_P(BothFamilies, HidrawSharedUnit, ::testing::Values(1u, 2u));

}  // namespace
