// Every read and set mapping of both families against an emulated unit:
// the device value a read turns into, and the message a set sends.
#include <gtest/gtest.h>

#include <string>

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
    uint8_t device;
    uint32_t api;
    uint32_t status;
};

#define READ(op) #op, &KLSYS_IVRX::op

// clang-format off
const TReadCase ReadCases[] = {
    // Register 21: device value = API value + 1; 3 (family 1) and 4 (family 2) read only.
    {READ(GetPosition21), 1, 21, 1, 0, 0},      {READ(GetPosition21), 1, 21, 3, 2, 0},
    {READ(GetPosition21), 1, 21, 4, 3, 0},      {READ(GetPosition21), 1, 21, 0, NoPos, 11},
    {READ(GetPosition21), 1, 21, 16, NoPos, 11},
    {READ(GetPosition21), 2, 21, 1, 0, 0},      {READ(GetPosition21), 2, 21, 4, 3, 0},
    {READ(GetPosition21), 2, 21, 16, 4, 0},     {READ(GetPosition21), 2, 21, 5, NoPos, 11},
    // Register 20.
    {READ(GetPosition20), 1, 20, 2, 0, 0},      {READ(GetPosition20), 1, 20, 1, 1, 0},
    {READ(GetPosition20), 1, 20, 3, 2, 0},      {READ(GetPosition20), 1, 20, 0, NoPos, 11},
    {READ(GetPosition20), 2, 20, 3, 0, 0},      {READ(GetPosition20), 2, 20, 1, 1, 0},
    {READ(GetPosition20), 2, 20, 16, 2, 0},     {READ(GetPosition20), 2, 20, 2, 3, 0},
    {READ(GetPosition20), 2, 20, 0, 4, 0},      {READ(GetPosition20), 2, 20, 4, NoPos, 11},
    // Registers 22 to 24: 2 is 0, 1 is 1; family 2 reads 23 and 24 as 0 whatever they hold.
    {READ(GetPosition22), 1, 22, 2, 0, 0},      {READ(GetPosition22), 2, 22, 1, 1, 0},
    {READ(GetPosition22), 2, 22, 3, NoPos, 11},
    {READ(GetPosition23), 1, 23, 2, 0, 0},      {READ(GetPosition23), 1, 23, 1, 1, 0},
    {READ(GetPosition23), 1, 23, 0, NoPos, 11}, {READ(GetPosition23), 2, 23, 1, 0, 0},
    {READ(GetPosition23), 2, 23, 9, 0, 0},
    {READ(GetPosition24), 1, 24, 1, 1, 0},      {READ(GetPosition24), 1, 24, 7, NoPos, 11},
    {READ(GetPosition24), 2, 24, 9, 0, 0},
    // Register 19: one read per family's mapping; the other family's read is fixed.
    {READ(GetPosition19), 1, 19, 2, 0, 0},      {READ(GetPosition19), 1, 19, 1, 1, 0},
    {READ(GetPosition19), 1, 19, 3, NoPos, 11}, {READ(GetPosition19), 2, 19, 2, 1, 0},
    {READ(GetPosition19), 2, 19, 77, 1, 0},
    {READ(GetPosition19Family2), 2, 19, 1, 0, 0}, {READ(GetPosition19Family2), 2, 19, 2, 1, 0},
    {READ(GetPosition19Family2), 2, 19, 3, NoPos, 11},
    {READ(GetPosition19Family2), 1, 19, 1, NoPos, 11},
};
// clang-format on

TEST_F(TControllerTest, ReadsTranslateTheRegisterWithTheFamilysMapping) {
    auto& unit1 = bus.AttachUnit(1);
    auto& unit2 = bus.AttachUnit(2);
    for (const TReadCase& c : ReadCases) {
        SCOPED_TRACE(std::string(c.name) + " family " + std::to_string(c.family) + " device " +
                     std::to_string(c.device));
        auto& unit = c.family == 1 ? unit1 : unit2;
        auto controller = OpenController(c.family, 1, &unit);
        unit.SetRegister(c.reg, c.device);
        uint32_t api = 12345;
        EXPECT_EQ((controller.get()->*c.read)(&api), c.status);
        EXPECT_EQ(api, c.api);
        EXPECT_EQ(Messages(unit), (std::vector<TMessage>{{c.reg, 0}}));  // always read
        EXPECT_EQ(std::string(controller->GetLastErrorText()),
                  c.status == 11 ? "Position out of range." : "");
    }
}

struct TSetCase {
    const char* name;
    TSet set;
    unsigned family;
    uint32_t api;
    uint8_t code;    // 0: refused with 512
    uint8_t device;  // value sent
    uint8_t reg;     // awaited register; 0 for a write without wait
};

#define SET(op) #op, &KLSYS_IVRX::op

// clang-format off
const TSetCase SetCases[] = {
    {SET(SetPosition21), 1, 0, 36, 1, 21},   {SET(SetPosition21), 1, 2, 36, 3, 21},
    {SET(SetPosition21), 1, 3, 0, 0, 0},     {SET(SetPosition21), 2, 3, 36, 4, 21},
    {SET(SetPosition21), 2, 4, 0, 0, 0},
    {SET(SetPosition20), 1, 0, 35, 2, 20},   {SET(SetPosition20), 1, 1, 35, 1, 20},
    {SET(SetPosition20), 1, 2, 0, 0, 0},     {SET(SetPosition20), 1, 3, 0, 0, 0},
    {SET(SetPosition20), 2, 0, 35, 3, 20},   {SET(SetPosition20), 2, 2, 0, 0, 0},
    {SET(SetPosition20), 2, 3, 35, 2, 20},   {SET(SetPosition20), 2, 4, 35, 0, 20},
    {SET(SetPosition22), 1, 0, 37, 2, 22},   {SET(SetPosition22), 2, 1, 37, 1, 22},
    {SET(SetPosition22), 1, 2, 0, 0, 0},
    {SET(SetPosition23), 1, 0, 38, 2, 23},   {SET(SetPosition23), 1, 1, 38, 1, 23},
    {SET(SetPosition23), 2, 0, 0, 0, 0},     {SET(SetPosition23), 2, 1, 0, 0, 0},
    {SET(SetPosition24), 1, 1, 39, 1, 24},   {SET(SetPosition24), 2, 0, 0, 0, 0},
    {SET(SetPosition19), 1, 0, 34, 2, 19},   {SET(SetPosition19), 1, 1, 34, 1, 19},
    {SET(SetPosition19), 1, 2, 0, 0, 0},     {SET(SetPosition19), 2, 1, 0, 0, 0},
    {SET(SetState224), 1, 0, 224, 15, 0},    {SET(SetState224), 2, 1, 224, 127, 0},
    {SET(SetState224), 1, 2, 0, 0, 0},
    {SET(SetState18), 2, 0, 33, 15, 18},     {SET(SetState18), 1, 1, 33, 127, 18},
    {SET(SetState18), 2, 2, 0, 0, 0},
};
// clang-format on

TEST_F(TControllerTest, SetsSendTheFamilysDeviceValueAndAwaitTheRegister) {
    auto& unit1 = bus.AttachUnit(1);
    auto& unit2 = bus.AttachUnit(2);
    for (const TSetCase& c : SetCases) {
        SCOPED_TRACE(std::string(c.name) + " family " + std::to_string(c.family) + " api " +
                     std::to_string(c.api));
        auto& unit = c.family == 1 ? unit1 : unit2;
        auto controller = OpenController(c.family, 1, &unit);
        const uint32_t status = (controller.get()->*c.set)(c.api);
        if (c.code == 0) {
            EXPECT_EQ(status, 512u);
            EXPECT_EQ(std::string(controller->GetLastErrorText()), "Invalid parameter.");
            EXPECT_TRUE(unit.Received().empty());
            continue;
        }
        EXPECT_EQ(status, 0u);
        if (c.reg == 0) {
            EXPECT_EQ(Messages(unit), (std::vector<TMessage>{{c.code, c.device}}));
            EXPECT_EQ(unit.LastValue(c.code), c.device);
        } else {
            EXPECT_EQ(Messages(unit), AwaitedWrite(c.code, c.reg, c.device));
            EXPECT_EQ(unit.Register(c.reg), c.device);
        }
    }
}

}  // namespace
