// Every read and set mapping of both families against an emulated unit:
// the device value a read turns into, and the message a set sends.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "controller/controller_fixture.h"
#include "support/row_name.h"

namespace {

using KL_VRXSDK::KLSYS_IVRX;
using KL_VRXTest::AwaitedWrite;
using KL_VRXTest::Messages;
using KL_VRXTest::OpenController;
using KL_VRXTest::TControllerTest;
using KL_VRXTest::TMessages;

constexpr uint32_t NoPos = 99999;

// The operation, its name and the family it runs in, for a row's name.
#define OP(op, fam) .name = #op "Family" #fam, .operation = &KLSYS_IVRX::op, .family = fam

struct TReadCase {
    const char* name;
    uint32_t (KLSYS_IVRX::*operation)(uint32_t*);
    unsigned family;
    uint8_t reg;
    std::vector<std::pair<uint8_t, uint32_t>> deviceToApi;  // NoPos: status 11
};

class Reads : public TControllerTest, public ::testing::WithParamInterface<TReadCase> {};

TEST_P(Reads, TranslateTheRegisterWithTheFamilysMapping) {
    const TReadCase& c = GetParam();
    auto& unit = bus.AttachUnit(c.family);
    auto controller = OpenController(c.family, 1, &unit);
    for (const auto& [device, api] : c.deviceToApi) {
        SCOPED_TRACE("device value " + std::to_string(device));
        unit.SetRegister(c.reg, device);
        unit.ClearReceived();
        uint32_t result = 12345;
        EXPECT_EQ((controller.get()->*c.operation)(&result), api == NoPos ? 11u : 0u);
        EXPECT_EQ(result, api);
        EXPECT_EQ(Messages(unit), (TMessages{{c.reg, 0}}));  // always read
        EXPECT_STREQ(controller->GetLastErrorText(), api == NoPos ? "Position out of range." : "");
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Controller, Reads, ::testing::Values(
    // Register 21: device value = API value + 1; 3 (family 1) and 4 (family 2) read only.
    TReadCase{OP(GetPosition21, 1), .reg = 21, .deviceToApi = {{1, 0}, {3, 2}, {4, 3}, {0, NoPos}, {16, NoPos}}},
    TReadCase{OP(GetPosition21, 2), .reg = 21, .deviceToApi = {{1, 0}, {4, 3}, {16, 4}, {5, NoPos}}},
    TReadCase{OP(GetPosition20, 1), .reg = 20, .deviceToApi = {{2, 0}, {1, 1}, {3, 2}, {0, NoPos}}},
    TReadCase{OP(GetPosition20, 2), .reg = 20, .deviceToApi = {{3, 0}, {1, 1}, {16, 2}, {2, 3}, {0, 4}, {4, NoPos}}},
    // Registers 22 to 24: 2 is 0, 1 is 1; family 2 reads 23 and 24 as 0 whatever they hold.
    TReadCase{OP(GetPosition22, 1), .reg = 22, .deviceToApi = {{2, 0}, {1, 1}, {3, NoPos}}},
    TReadCase{OP(GetPosition22, 2), .reg = 22, .deviceToApi = {{1, 1}, {3, NoPos}}},
    TReadCase{OP(GetPosition23, 1), .reg = 23, .deviceToApi = {{2, 0}, {1, 1}, {0, NoPos}}},
    TReadCase{OP(GetPosition23, 2), .reg = 23, .deviceToApi = {{1, 0}, {9, 0}}},
    TReadCase{OP(GetPosition24, 1), .reg = 24, .deviceToApi = {{1, 1}, {7, NoPos}}},
    TReadCase{OP(GetPosition24, 2), .reg = 24, .deviceToApi = {{9, 0}}},
    // Register 19: one read per family's mapping; the other family's read is fixed.
    TReadCase{OP(GetPosition19, 1), .reg = 19, .deviceToApi = {{2, 0}, {1, 1}, {3, NoPos}}},
    TReadCase{OP(GetPosition19, 2), .reg = 19, .deviceToApi = {{2, 1}, {77, 1}}},
    TReadCase{OP(GetPosition19Family2, 2), .reg = 19, .deviceToApi = {{1, 0}, {2, 1}, {3, NoPos}}},
    TReadCase{OP(GetPosition19Family2, 1), .reg = 19, .deviceToApi = {{1, NoPos}}}),
    KL_VRXTest::RowName());
// clang-format on

struct TSetCase {
    const char* name;
    uint32_t (KLSYS_IVRX::*operation)(uint32_t);
    unsigned family;
    uint8_t code;
    uint8_t reg;                                        // awaited register; 0: no wait
    std::vector<std::pair<uint32_t, int>> apiToDevice;  // -1: refused with 512
};

class Sets : public TControllerTest, public ::testing::WithParamInterface<TSetCase> {};

TEST_P(Sets, SendTheFamilysDeviceValueAndAwaitTheRegister) {
    const TSetCase& c = GetParam();
    auto& unit = bus.AttachUnit(c.family);
    auto controller = OpenController(c.family, 1, &unit);
    for (const auto& [api, device] : c.apiToDevice) {
        SCOPED_TRACE("API value " + std::to_string(api));
        unit.ClearReceived();
        const uint32_t status = (controller.get()->*c.operation)(api);
        if (device < 0) {
            EXPECT_EQ(status, 512u);
            EXPECT_STREQ(controller->GetLastErrorText(), "Invalid parameter.");
            EXPECT_TRUE(unit.Received().empty());
            continue;
        }
        const uint8_t value = static_cast<uint8_t>(device);
        EXPECT_EQ(status, 0u);
        const TMessages write{{c.code, value}};
        EXPECT_EQ(Messages(unit), c.reg == 0 ? write : AwaitedWrite(c.code, c.reg, value));
        EXPECT_EQ(c.reg == 0 ? unit.LastValue(c.code) : unit.Register(c.reg), value);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Controller, Sets, ::testing::Values(
    TSetCase{OP(SetPosition21, 1), .code = 36, .reg = 21, .apiToDevice = {{0, 1}, {2, 3}, {3, -1}}},
    TSetCase{OP(SetPosition21, 2), .code = 36, .reg = 21, .apiToDevice = {{3, 4}, {4, -1}}},
    TSetCase{OP(SetPosition20, 1), .code = 35, .reg = 20, .apiToDevice = {{0, 2}, {1, 1}, {2, -1}, {3, -1}}},
    TSetCase{OP(SetPosition20, 2), .code = 35, .reg = 20, .apiToDevice = {{0, 3}, {2, -1}, {3, 2}, {4, 0}}},
    TSetCase{OP(SetPosition22, 1), .code = 37, .reg = 22, .apiToDevice = {{0, 2}, {2, -1}}},
    TSetCase{OP(SetPosition22, 2), .code = 37, .reg = 22, .apiToDevice = {{1, 1}}},
    TSetCase{OP(SetPosition23, 1), .code = 38, .reg = 23, .apiToDevice = {{0, 2}, {1, 1}}},
    TSetCase{OP(SetPosition23, 2), .code = 38, .reg = 23, .apiToDevice = {{0, -1}, {1, -1}}},
    TSetCase{OP(SetPosition24, 1), .code = 39, .reg = 24, .apiToDevice = {{1, 1}}},
    TSetCase{OP(SetPosition24, 2), .code = 39, .reg = 24, .apiToDevice = {{0, -1}}},
    TSetCase{OP(SetPosition19, 1), .code = 34, .reg = 19, .apiToDevice = {{0, 2}, {1, 1}, {2, -1}}},
    TSetCase{OP(SetPosition19, 2), .code = 34, .reg = 19, .apiToDevice = {{1, -1}}},
    TSetCase{OP(SetState224, 1), .code = 224, .reg = 0, .apiToDevice = {{0, 15}, {2, -1}}},
    TSetCase{OP(SetState224, 2), .code = 224, .reg = 0, .apiToDevice = {{1, 127}}},
    TSetCase{OP(SetState18, 1), .code = 33, .reg = 18, .apiToDevice = {{1, 127}}},
    TSetCase{OP(SetState18, 2), .code = 33, .reg = 18, .apiToDevice = {{0, 15}, {2, -1}}}),
    KL_VRXTest::RowName());
// clang-format on

}  // namespace
