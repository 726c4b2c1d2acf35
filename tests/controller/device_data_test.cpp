// Device information, the device number's decoding, failing device reads,
// and the settings that live outside the unit.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "controller/controller_fixture.h"
#include "support/row_name.h"

namespace {

using KL_VRXTest::Messages;
using KL_VRXTest::OpenController;
using KL_VRXTest::TControllerTest;
using KL_VRXTest::TMessages;

// The device number: packed decimal, the two most significant digits in the
// fourth byte; a nibble above 9 counts its value (10 to 15).
struct TNumberCase {
    const char* name;
    std::vector<uint8_t> block;
    uint32_t number;
};

class DeviceNumber : public TControllerTest, public ::testing::WithParamInterface<TNumberCase> {};

TEST_P(DeviceNumber, IsDecodedFromBlock25) {
    auto& unit = bus.AttachUnit(1);
    auto controller = OpenController(1, 1, &unit);
    unit.SetBlock(25, GetParam().block);
    uint32_t number = 1;
    EXPECT_EQ(controller->GetDeviceNumber(&number), 0u);
    EXPECT_EQ(number, GetParam().number);
    EXPECT_EQ(Messages(unit), (TMessages{{25, 0}}));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Controller, DeviceNumber, ::testing::Values(
    TNumberCase{.name = "LowDigitsFirst", .block = {0x78, 0x56, 0x34, 0x12}, .number = 12345678},
    TNumberCase{.name = "NibbleAboveNine", .block = {0x0A, 0x00, 0x00, 0x00}, .number = 10},
    TNumberCase{.name = "AllNibblesFifteen", .block = {0xFF, 0xFF, 0xFF, 0xFF}, .number = 166666665}),
    KL_VRXTest::RowName());
// clang-format on

TEST_F(TControllerTest, DeviceInfoIsReadInABlockAndAFailedReadStoresNothing) {
    auto& unit = bus.AttachUnit(1);
    auto controller = OpenController(1, 1, &unit);
    unit.SetBlock(0, {0xFE, 0x00, 0x07});
    uint32_t info[3] = {};
    EXPECT_EQ(controller->GetDeviceInfo(&info[0], &info[1], &info[2]), 0u);
    EXPECT_EQ(std::vector<uint32_t>(info, info + 3), (std::vector<uint32_t>{0xFE, 0, 7}));
    EXPECT_EQ(Messages(unit), (TMessages{{0, 0}}));

    unit.SetReplyCode(0xFF);
    EXPECT_EQ(controller->GetDeviceInfo(&info[0], &info[1], &info[2]), 5u);
    EXPECT_EQ(controller->GetDeviceNumber(&info[1]), 5u);
    EXPECT_EQ(controller->GetPosition21(&info[2]), 5u);
    EXPECT_EQ(std::vector<uint32_t>(info, info + 3), (std::vector<uint32_t>{0xFE, 0, 7}));
    EXPECT_STREQ(controller->GetLastErrorText(), "A bad command was sent to the device.");
}

TEST_F(TControllerTest, HostValueFixedValueAndLogSwitchesNeedNoUnit) {
    TVRXHardwareController controller;
    uint32_t host = 0, fixed = 0, family = 9;
    uint8_t flag = 9;
    EXPECT_EQ(controller.GetHostValue(&host) | controller.GetFixedValue(&fixed) |
                  controller.GetModelFamily(&family) | controller.GetLogDumpFlag(&flag),
              0u);
    EXPECT_EQ(std::vector<uint32_t>({host, fixed, family, flag}),
              (std::vector<uint32_t>{1, 30, 0, 0}));
    EXPECT_EQ(controller.SetHostValue(7) | controller.SetLogDumpFlag(1), 0u);
    EXPECT_EQ(controller.GetHostValue(&host) | controller.GetLogDumpFlag(&flag), 0u);
    EXPECT_EQ(std::vector<uint32_t>({host, flag}), (std::vector<uint32_t>{7, 1}));
    EXPECT_EQ(controller.GetModelFamily(nullptr), 512u);
}

}  // namespace
