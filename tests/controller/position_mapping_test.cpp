// Every read and set mapping of both families against an emulated unit:
// the device value a read turns into, and the message a set sends.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "controller/controller_fixture.h"

namespace {

using KL_VRXSDK::KLSYS_IVRX;
using KL_VRXTest::AwaitedWrite;
using KL_VRXTest::Messages;
using KL_VRXTest::OpenController;
using KL_VRXTest::TControllerTest;
using KL_VRXTest::TMessage;

using TRead = uint32_t (KLSYS_IVRX::*)(uint32_t*);
using TSet = uint32_t (KLSYS_IVRX::*)(uint32_t);

constexpr uint32_t NoPos = 99999;

struct TReadCase {
    const char* name;
    TRead read;
    unsigned family;
    uint8_t reg;
    std::vector<std::pair<uint8_t, uint32_t>> deviceToApi;  // 99999: status 11
};

#define OP(op) #op, &KLSYS_IVRX::op

// clang-format off
const TReadCase ReadCases[] = {
    // Register 21: device value = API value + 1; 3 (family 1) and 4 (family 2) read only.
    {OP(GetPosition21), 1, 21, {{1, 0}, {3, 2}, {4, 3}, {0, NoPos}, {16, NoPos}}},
    {OP(GetPosition21), 2, 21, {{1, 0}, {4, 3}, {16, 4}, {5, NoPos}}},
    {OP(GetPosition20), 1, 20, {{2, 0}, {1, 1}, {3, 2}, {0, NoPos}}},
    {OP(GetPosition20), 2, 20, {{3, 0}, {1, 1}, {16, 2}, {2, 3}, {0, 4}, {4, NoPos}}},
    // Registers 22 to 24: 2 is 0, 1 is 1; family 2 reads 23 and 24 as 0 whatever they hold.
    {OP(GetPosition22), 1, 22, {{2, 0}, {1, 1}, {3, NoPos}}},
    {OP(GetPosition22), 2, 22, {{1, 1}, {3, NoPos}}},
    {OP(GetPosition23), 1, 23, {{2, 0}, {1, 1}, {0, NoPos}}},
    {OP(GetPosition23), 2, 23, {{1, 0}, {9, 0}}},
    {OP(GetPosition24), 1, 24, {{1, 1}, {7, NoPos}}},
    {OP(GetPosition24), 2, 24, {{9, 0}}},
    // Register 19: one read per family's mapping; the other family's read is fixed.
    {OP(GetPosition19), 1, 19, {{2, 0}, {1, 1}, {3, NoPos}}},
    {OP(GetPosition19), 2, 19, {{2, 1}, {77, 1}}},
    {OP(GetPosition19Family2), 2, 19, {{1, 0}, {2, 1}, {3, NoPos}}},
    {OP(GetPosition19Family2), 1, 19, {{1, NoPos}}},
};
// clang-format on

TEST_F(TControllerTest, ReadsTranslateTheRegisterWithTheFamilysMapping) {
    KL_VRXEmu::TEmulatedUnit* units[] = {&bus.AttachUnit(1), &bus.AttachUnit(2)};
    for (const TReadCase& c : ReadCases) {
        auto& unit = *units[c.family - 1];
        auto controller = OpenController(c.family, 1, &unit);
        for (const auto& [device, api] : c.deviceToApi) {
            SCOPED_TRACE(std::string(c.name) + " family " + std::to_string(c.family) + " device " +
                         std::to_string(device));
            unit.SetRegister(c.reg, device);
            unit.ClearReceived();
            uint32_t result = 12345;
            EXPECT_EQ((controller.get()->*c.read)(&result), api == NoPos ? 11u : 0u);
            EXPECT_EQ(result, api);
            EXPECT_EQ(Messages(unit), (std::vector<TMessage>{{c.reg, 0}}));  // always read
            EXPECT_STREQ(controller->GetLastErrorText(),
                         api == NoPos ? "Position out of range." : "");
        }
    }
}

struct TSetCase {
    const char* name;
    TSet set;
    unsigned family;
    uint8_t code;
    uint8_t reg;                                        // awaited register; 0: no wait
    std::vector<std::pair<uint32_t, int>> apiToDevice;  // -1: refused with 512
};

// clang-format off
const TSetCase SetCases[] = {
    {OP(SetPosition21), 1, 36, 21, {{0, 1}, {2, 3}, {3, -1}}},
    {OP(SetPosition21), 2, 36, 21, {{3, 4}, {4, -1}}},
    {OP(SetPosition20), 1, 35, 20, {{0, 2}, {1, 1}, {2, -1}, {3, -1}}},
    {OP(SetPosition20), 2, 35, 20, {{0, 3}, {2, -1}, {3, 2}, {4, 0}}},
    {OP(SetPosition22), 1, 37, 22, {{0, 2}, {2, -1}}},
    {OP(SetPosition22), 2, 37, 22, {{1, 1}}},
    {OP(SetPosition23), 1, 38, 23, {{0, 2}, {1, 1}}},
    {OP(SetPosition23), 2, 38, 23, {{0, -1}, {1, -1}}},
    {OP(SetPosition24), 1, 39, 24, {{1, 1}}},
    {OP(SetPosition24), 2, 39, 24, {{0, -1}}},
    {OP(SetPosition19), 1, 34, 19, {{0, 2}, {1, 1}, {2, -1}}},
    {OP(SetPosition19), 2, 34, 19, {{1, -1}}},
    {OP(SetState224), 1, 224, 0, {{0, 15}, {2, -1}}},
    {OP(SetState224), 2, 224, 0, {{1, 127}}},
    {OP(SetState18), 1, 33, 18, {{1, 127}}},
    {OP(SetState18), 2, 33, 18, {{0, 15}, {2, -1}}},
};
// clang-format on

TEST_F(TControllerTest, SetsSendTheFamilysDeviceValueAndAwaitTheRegister) {
    KL_VRXEmu::TEmulatedUnit* units[] = {&bus.AttachUnit(1), &bus.AttachUnit(2)};
    for (const TSetCase& c : SetCases) {
        auto& unit = *units[c.family - 1];
        auto controller = OpenController(c.family, 1, &unit);
        for (const auto& [api, device] : c.apiToDevice) {
            SCOPED_TRACE(std::string(c.name) + " family " + std::to_string(c.family) + " api " +
                         std::to_string(api));
            unit.ClearReceived();
            const uint32_t status = (controller.get()->*c.set)(api);
            if (device < 0) {
                EXPECT_EQ(status, 512u);
                EXPECT_STREQ(controller->GetLastErrorText(), "Invalid parameter.");
                EXPECT_TRUE(unit.Received().empty());
                continue;
            }
            const uint8_t value = static_cast<uint8_t>(device);
            EXPECT_EQ(status, 0u);
            const std::vector<TMessage> write{{c.code, value}};
            EXPECT_EQ(Messages(unit), c.reg == 0 ? write : AwaitedWrite(c.code, c.reg, value));
            EXPECT_EQ(c.reg == 0 ? unit.LastValue(c.code) : unit.Register(c.reg), value);
        }
    }
}

}  // namespace
