// The time-out each element and each step waits for, pinned on the virtual
// clock: a register that never reaches its value makes a state wait run to
// its transition time-out, a unit that never replies makes a write or read
// run to its I/O time-out. Polls come every 5 ms, so each wait ends at the
// first poll past its time-out: 5 ms after it.
#include <gtest/gtest.h>

#include <string>

#include "controller/controller_fixture.h"
#include "support/row_name.h"

namespace {

using KL_VRXEmu::TEmulatedUnit;
using KL_VRXTest::OpenController;
using KL_VRXTest::TControllerTest;
using Controller = TVRXHardwareController;

struct TTimeOutCase {
    const char* name;
    void (*fault)(TEmulatedUnit&);
    uint32_t (*operation)(Controller&);
    uint32_t elapsed;  // ms: the time-out plus the last poll's 5
    uint32_t status = 5;
};

class TimeOuts : public TControllerTest, public ::testing::WithParamInterface<TTimeOutCase> {};

TEST_P(TimeOuts, EndTheWaitAtTheTimeOutOfTheStep) {
    const TTimeOutCase& c = GetParam();
    auto& unit = bus.AttachUnit(1);
    auto controller = OpenController(1, 1, &unit);
    c.fault(unit);
    const uint32_t start = bus.Tick();
    EXPECT_EQ(c.operation(*controller), c.status);
    EXPECT_EQ(bus.Tick() - start, c.elapsed);
}

// A register stuck at the value the start-up or the unit's default left it.
template <uint8_t Register>
void Stuck(TEmulatedUnit& unit) {
    unit.SetStuck(Register, true);
}
void Silent(TEmulatedUnit& unit) {
    unit.SetSilent(true);
}

uint32_t position = 0;
uint32_t deviceInfo[3] = {};

// The operation a row runs on the controller.
#define RUN(call) [](Controller& c) { return c.call; }

// clang-format off
INSTANTIATE_TEST_SUITE_P(Controller, TimeOuts, ::testing::Values(
    // Transition time-outs: each set asks for a value its register does not hold.
    TTimeOutCase{"SetPosition21Transition", Stuck<21>, RUN(SetPosition21(1)), 705},
    TTimeOutCase{"SetPosition20Transition", Stuck<20>, RUN(SetPosition20(0)), 6025},
    TTimeOutCase{"SetPosition22Transition", Stuck<22>, RUN(SetPosition22(1)), 705},
    TTimeOutCase{"SetPosition23Transition", Stuck<23>, RUN(SetPosition23(1)), 705},
    TTimeOutCase{"SetPosition24Transition", Stuck<24>, RUN(SetPosition24(1)), 705},
    TTimeOutCase{"SetPosition19Transition", Stuck<19>, RUN(SetPosition19(0)), 505},
    TTimeOutCase{"SetState18Transition", Stuck<18>, RUN(SetState18(1)), 3005},
    // Parking on close reads register 18 (15 after the start-up), then waits
    // up to 25 s for 127; the close reports nothing.
    TTimeOutCase{"ParkOnClose", Stuck<18>, RUN(Close(true)), 25005, 0},
    // I/O time-outs: the first reply never comes.
    TTimeOutCase{"SetPosition21Reply", Silent, RUN(SetPosition21(1)), 3005},
    TTimeOutCase{"SetState18Reply", Silent, RUN(SetState18(1)), 25005},
    TTimeOutCase{"SetState224Reply", Silent, RUN(SetState224(1)), 3005},
    TTimeOutCase{"GetPosition21Reply", Silent, RUN(GetPosition21(&position)), 3005},
    TTimeOutCase{"GetDeviceNumberReply", Silent, RUN(GetDeviceNumber(&position)), 3005},
    TTimeOutCase{"GetDeviceInfoReply", Silent, RUN(GetDeviceInfo(&deviceInfo[0], &deviceInfo[1], &deviceInfo[2])), 3005},
    TTimeOutCase{"ParkReadOnClose", Silent, RUN(Close(true)), 3005, 0}),
    KL_VRXTest::RowName());
// clang-format on

}  // namespace
