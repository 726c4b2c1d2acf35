// Gets and sets on hidraw units of both report lengths: each set's command,
// the state polls until the register shows the value twice, the read back,
// and the failures a unit's silence or its leaving the bus cause. (The
// mapping of every element in both families, and the reply faults, are the
// controller's and the protocol's own tests.)
#include "umockdev/host_fixture.h"

namespace {

using namespace KL_VRXTest;
using KL_VRXSDK::KLSYS_IVRX;

struct TSetRow {
    const char* name;
    unsigned family;
    uint32_t (KLSYS_IVRX::*set)(uint32_t);
    uint32_t apiValue;
    uint8_t command;
    uint8_t reg;  // 0: a setting with no register, echoed and not awaited
    uint8_t deviceValue;
    uint32_t (KLSYS_IVRX::*get)(uint32_t*);  // reads the element back; null for none
};

// Registers take 40 ms to follow a write, so every set polls a few times
// (each row moves its element away from the unit's starting value).
constexpr uint32_t TransitionMs = 40;

using HidrawSet = HidrawHostP<TSetRow>;

TEST_P(HidrawSet, SendsTheCommandThenPollsItsRegisterUntilTwoPollsMatch) {
    const TSetRow& row = GetParam();
    TFakeUnit& unit = bed.PlugUnit(row.family);
    TVRX vrx = Create(1);
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    unit.With([](TUnitState& s) { s.firmware.transitionMs.fill(TransitionMs); });
    unit.ClearReceived();
    const uint64_t start = clock.Now();

    ASSERT_EQ((Sys(vrx).*row.set)(row.apiValue), 0u) << vrx->GetLastErrorText();
    const TReports received = unit.Received();
    ASSERT_GE(received.size(), 1u);
    EXPECT_EQ(received[0], unit.Message(row.command, row.deviceValue));
    if (row.reg == 0) {
        EXPECT_EQ(received.size(), 1u);
        return;
    }
    EXPECT_EQ(unit.Register(row.reg), row.deviceValue);
    for (size_t i = 1; i < received.size(); ++i)
        EXPECT_EQ(received[i], unit.Message(row.reg)) << i;
    // Polls 5 ms apart until the value shows, then one more at once.
    EXPECT_GE(clock.Now() - start, TransitionMs);
    EXPECT_EQ(received.size(), 1 + (clock.Now() - start) / 5 + 2);
    if (row.get != nullptr) {
        uint32_t value = 99;
        EXPECT_EQ((Sys(vrx).*row.get)(&value), 0u);
        EXPECT_EQ(value, row.apiValue);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Elements, HidrawSet,
    ::testing::Values(TSetRow{"Position21Family1", 1, &KLSYS_IVRX::SetPosition21, 2, 36, 21, 3,
                              &KLSYS_IVRX::GetPosition21},
                      TSetRow{"Position20Family2", 2, &KLSYS_IVRX::SetPosition20, 4, 35, 20, 0,
                              &KLSYS_IVRX::GetPosition20},
                      TSetRow{"State18", 2, &KLSYS_IVRX::SetState18, 1, 33, 18, 127, nullptr},
                      TSetRow{"State224", 1, &KLSYS_IVRX::SetState224, 1, 224, 0, 127, nullptr}),
    RowName());

constexpr char SendFailed[] = "Problem sending data to VRX. Send fail. API error: 1167.";
constexpr char ReadFailed[] = "Problem reading data from VRX. Read fail. API error: 1167.";

struct TFaultRow {
    const char* name;
    void (*breakUnit)(TUnitState&);  // null: the unit is unplugged before the set
    const char* text;
    uint64_t minMs, maxMs;  // virtual time the set takes
    bool unplugs;
};

using HidrawFault = HidrawHostP<TFaultRow>;

// Register 21 takes 50 ms to follow, so the set polls it.
TEST_P(HidrawFault, FailsTheSetWithStatus5AndTheText) {
    const TFaultRow& row = GetParam();
    TFakeUnit& unit = bed.PlugUnit(1);
    TVRX vrx = Create(1);
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    ASSERT_EQ(Count(), 2u);
    unit.With([&](TUnitState& s) {
        s.firmware.transitionMs[21 - 18] = 50;
        if (row.breakUnit != nullptr)
            row.breakUnit(s);
    });
    if (row.breakUnit == nullptr)
        bed.Unplug(unit);
    const uint64_t start = clock.Now();

    EXPECT_EQ(vrx->SetPosition21(2), 5u);
    EXPECT_STREQ(vrx->GetLastErrorText(), row.text);
    EXPECT_GE(clock.Now() - start, row.minMs);
    EXPECT_LE(clock.Now() - start, row.maxMs);
    EXPECT_EQ(Count(), row.unplugs ? 1u : 2u);
    // Parking the gone unit fails quietly; deleting succeeds.
    vrx.reset();
    if (row.unplugs) {
        EXPECT_FALSE(Create(1));
        EXPECT_STREQ(GetLastVRXDLLError(), "Index out of range.");
    }
}

template <uint8_t code, TUnplug moment>
void UnplugOn(TUnitState& s) {
    s.unplugOn = {{code, moment}};
}

INSTANTIATE_TEST_SUITE_P(
    Units, HidrawFault,
    ::testing::Values(
        // Polled every 5 ms until more than 700 ms have passed.
        TFaultRow{"RegisterNeverFollows", [](TUnitState& s) { s.firmware.stuck[21 - 18] = true; },
                  "Timeout while waiting for state transition.", 705, 705, false},
        // The echo's 3 s time-out, each empty read a look at the node.
        TFaultRow{"Silent", [](TUnitState& s) { s.firmware.silent = true; },
                  "Have timed out trying to read from the device.", 3001, 3099, false},
        TFaultRow{"UnpluggedBetweenOperations", nullptr, SendFailed, 0, 0, true},
        TFaultRow{"UnpluggedAsTheCommandIsWritten", &UnplugOn<36, TUnplug::AsWritten>, SendFailed,
                  0, 0, true},
        TFaultRow{"UnpluggedBeforeTheCommandIsAnswered", &UnplugOn<36, TUnplug::BeforeReply>,
                  ReadFailed, 0, 0, true},
        TFaultRow{"UnpluggedWhileItsStateIsPolled", &UnplugOn<21, TUnplug::BeforeReply>, ReadFailed,
                  0, 50, true}),
    RowName());

}  // namespace
