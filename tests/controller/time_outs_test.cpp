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

// clang-format off
INSTANTIATE_TEST_SUITE_P(Controller, TimeOuts, ::testing::Values(
    // Transition time-outs: each set asks for a value its register does not hold.
    TTimeOutCase{.name = "SetPosition21Transition", .fault = Stuck<21>,
                 .operation = [](Controller& c) { return c.SetPosition21(1); }, .elapsed = 705},
    TTimeOutCase{.name = "SetPosition20Transition", .fault = Stuck<20>,
                 .operation = [](Controller& c) { return c.SetPosition20(0); }, .elapsed = 6025},
    TTimeOutCase{.name = "SetPosition22Transition", .fault = Stuck<22>,
                 .operation = [](Controller& c) { return c.SetPosition22(1); }, .elapsed = 705},
    TTimeOutCase{.name = "SetPosition23Transition", .fault = Stuck<23>,
                 .operation = [](Controller& c) { return c.SetPosition23(1); }, .elapsed = 705},
    TTimeOutCase{.name = "SetPosition24Transition", .fault = Stuck<24>,
                 .operation = [](Controller& c) { return c.SetPosition24(1); }, .elapsed = 705},
    TTimeOutCase{.name = "SetPosition19Transition", .fault = Stuck<19>,
                 .operation = [](Controller& c) { return c.SetPosition19(0); }, .elapsed = 505},
    TTimeOutCase{.name = "SetState18Transition", .fault = Stuck<18>,
                 .operation = [](Controller& c) { return c.SetState18(1); }, .elapsed = 3005},
    // Parking on close reads register 18 (15 after the start-up), then waits
    // up to 25 s for 127; the close reports nothing.
    TTimeOutCase{.name = "ParkOnClose", .fault = Stuck<18>,
                 .operation = [](Controller& c) { return c.Close(true); }, .elapsed = 25005,
                 .status = 0},
    // I/O time-outs: the first reply never comes.
    TTimeOutCase{.name = "SetPosition21Reply", .fault = Silent,
                 .operation = [](Controller& c) { return c.SetPosition21(1); }, .elapsed = 3005},
    TTimeOutCase{.name = "SetState18Reply", .fault = Silent,
                 .operation = [](Controller& c) { return c.SetState18(1); }, .elapsed = 25005},
    TTimeOutCase{.name = "SetState224Reply", .fault = Silent,
                 .operation = [](Controller& c) { return c.SetState224(1); }, .elapsed = 3005},
    TTimeOutCase{.name = "GetPosition21Reply", .fault = Silent,
                 .operation = [](Controller& c) { return c.GetPosition21(&position); },
                 .elapsed = 3005},
    TTimeOutCase{.name = "GetDeviceNumberReply", .fault = Silent,
                 .operation = [](Controller& c) { return c.GetDeviceNumber(&position); },
                 .elapsed = 3005},
    TTimeOutCase{.name = "GetDeviceInfoReply", .fault = Silent,
                 .operation = [](Controller& c) { return c.GetDeviceInfo(&deviceInfo[0], &deviceInfo[1], &deviceInfo[2]); },
                 .elapsed = 3005},
    TTimeOutCase{.name = "ParkReadOnClose", .fault = Silent,
                 .operation = [](Controller& c) { return c.Close(true); }, .elapsed = 3005,
                 .status = 0}),
    KL_VRXTest::RowName());
// clang-format on

}  // namespace
