// Gets and sets on hidraw units: each set's command, the state polls until
// the register shows the value twice, the read back through the mapping,
// and the failures a unit's replies can cause.
#include "umockdev/host_fixture.h"

namespace {

using namespace KL_VRXTest;
using KL_VRXSDK::KLSYS_IVRX;

using TSet = uint32_t (KLSYS_IVRX::*)(uint32_t);
using TGet = uint32_t (KLSYS_IVRX::*)(uint32_t*);

struct TSetCase {
    const char* name;
    unsigned family;
    TSet set;
    uint32_t apiValue;
    uint8_t command;
    uint8_t reg;
    uint8_t deviceValue;
    TGet get;  // reads the element back; null for a setting without a read

    friend void PrintTo(const TSetCase& c, std::ostream* out) { *out << c.name; }
};

// Registers take 40 ms to follow a write, so every set polls a few times
// (each row moves its element away from the unit's starting value).
constexpr uint32_t TransitionMs = 40;

class HidrawSet : public HidrawHost, public ::testing::WithParamInterface<TSetCase> {};

TEST_P(HidrawSet, SendsTheCommandThenPollsItsRegisterUntilTwoPollsMatch) {
    const TSetCase& c = GetParam();
    TFakeUnit& unit = bed.PlugUnit(c.family);
    TVRX vrx = Create(1);
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    unit.SetTransitionTime(c.reg, TransitionMs);
    unit.ClearReceived();
    const uint64_t start = clock.Now();

    ASSERT_EQ((Sys(vrx).*c.set)(c.apiValue), 0u) << vrx->GetLastErrorText();
    EXPECT_EQ(unit.Register(c.reg), c.deviceValue);
    const auto received = unit.Received();
    ASSERT_GE(received.size(), 3u);
    EXPECT_EQ(received[0], Message(unit, c.command, c.deviceValue));
    for (size_t i = 1; i < received.size(); ++i)
        EXPECT_EQ(received[i], Message(unit, c.reg)) << i;
    // Polls 5 ms apart until the value shows, then one more at once.
    EXPECT_GE(clock.Now() - start, TransitionMs);
    EXPECT_EQ(received.size(), 1 + (clock.Now() - start) / 5 + 2);

    if (c.get != nullptr) {
        uint32_t value = 99;
        EXPECT_EQ((Sys(vrx).*c.get)(&value), 0u);
        EXPECT_EQ(value, c.apiValue);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Elements, HidrawSet,
    ::testing::Values(TSetCase{"Position21Family1", 1, &KLSYS_IVRX::SetPosition21, 2, 36, 21, 3,
                               &KLSYS_IVRX::GetPosition21},
                      TSetCase{"Position21Family2", 2, &KLSYS_IVRX::SetPosition21, 3, 36, 21, 4,
                               &KLSYS_IVRX::GetPosition21},
                      TSetCase{"Position20Family1", 1, &KLSYS_IVRX::SetPosition20, 0, 35, 20, 2,
                               &KLSYS_IVRX::GetPosition20},
                      TSetCase{"Position20Family2", 2, &KLSYS_IVRX::SetPosition20, 4, 35, 20, 0,
                               &KLSYS_IVRX::GetPosition20},
                      TSetCase{"Position22", 2, &KLSYS_IVRX::SetPosition22, 1, 37, 22, 1,
                               &KLSYS_IVRX::GetPosition22},
                      TSetCase{"Position23", 1, &KLSYS_IVRX::SetPosition23, 1, 38, 23, 1,
                               &KLSYS_IVRX::GetPosition23},
                      TSetCase{"Position24", 1, &KLSYS_IVRX::SetPosition24, 1, 39, 24, 1,
                               &KLSYS_IVRX::GetPosition24},
                      TSetCase{"Position19", 1, &KLSYS_IVRX::SetPosition19, 0, 34, 19, 2,
                               &KLSYS_IVRX::GetPosition19},
                      TSetCase{"State18", 2, &KLSYS_IVRX::SetState18, 1, 33, 18, 127, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// 224 is echoed and not awaited.
TEST_F(HidrawHost, State224IsSentWithoutPolling) {
    TFakeUnit& unit = bed.PlugUnit(1);
    TVRX vrx = Create(1);
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    unit.ClearReceived();
    EXPECT_EQ(vrx->SetState224(1), 0u);
    EXPECT_EQ(unit.LastValue(224), 127);
    EXPECT_EQ(unit.Received(), (std::vector<std::vector<uint8_t>>{Message(unit, 224, 127)}));
}

struct TFailureCase {
    const char* name;
    void (*breakUnit)(TFakeUnit&);
    const char* text;
    uint64_t elapsedMs;  // virtual time the set takes

    friend void PrintTo(const TFailureCase& c, std::ostream* out) { *out << c.name; }
};

class HidrawSetFailure : public HidrawHost, public ::testing::WithParamInterface<TFailureCase> {};

TEST_P(HidrawSetFailure, EndsWithStatus5AndTheProtocolText) {
    const TFailureCase& c = GetParam();
    TFakeUnit& unit = bed.PlugUnit(1);
    TVRX vrx = Create(1);
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    c.breakUnit(unit);
    const uint64_t start = clock.Now();
    EXPECT_EQ(vrx->SetPosition21(2), 5u);
    EXPECT_STREQ(vrx->GetLastErrorText(), c.text);
    EXPECT_EQ(clock.Now() - start, c.elapsedMs);
    // Parking on the way out must not meet the fault.
    unit.SetReplyCode(std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, HidrawSetFailure,
    ::testing::Values(TFailureCase{"Rejected", [](TFakeUnit& u) { u.SetReplyCode(0xFF); },
                                   "A bad command was sent to the device.", 0},
                      TFailureCase{"NotEchoed", [](TFakeUnit& u) { u.SetReplyCode(99); },
                                   "The command was not echoed.", 0},
                      // Polled every 5 ms until more than 700 ms have passed.
                      TFailureCase{"RegisterNeverFollows",
                                   [](TFakeUnit& u) { u.SetStuck(21, true); },
                                   "Timeout while waiting for state transition.", 705}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
