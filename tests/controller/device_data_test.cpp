// Device information, the device number's decoding, failing device reads,
// and the settings that live outside the unit.
#include <gtest/gtest.h>

#include <string>

#include "controller/controller_fixture.h"
#include "support/temp_dir.h"

namespace {

using KL_VRXTest::Messages;
using KL_VRXTest::OpenController;
using KL_VRXTest::TControllerTest;
using KL_VRXTest::TMessage;

struct TNumberCase {
    std::vector<uint8_t> block;
    uint32_t number;
};

TEST_F(TControllerTest, TheDeviceNumberIsPackedDecimalWithTheHighDigitsLast) {
    const TNumberCase cases[] = {
        {{0x78, 0x56, 0x34, 0x12}, 12345678},
        {{0x99, 0x99, 0x99, 0x99}, 99999999},
        {{0x00, 0x00, 0x00, 0x00}, 0},
        {{0x0A, 0x00, 0x00, 0x00}, 10},         // a nibble above 9 counts its value
        {{0x00, 0x00, 0x00, 0xF0}, 150000000},  // 15 tens in the top place
        {{0xFF, 0xFF, 0xFF, 0xFF}, 166666665},
    };
    auto& unit = bus.AttachUnit(1);
    auto controller = OpenController(1, 1, &unit);
    for (const TNumberCase& c : cases) {
        unit.SetBlock(25, c.block);
        uint32_t number = 1;
        EXPECT_EQ(controller->GetDeviceNumber(&number), 0u);
        EXPECT_EQ(number, c.number) << std::hex << int(c.block[0]) << " " << int(c.block[3]);
    }
    EXPECT_EQ(Messages(unit), std::vector<TMessage>(std::size(cases), {25, 0}));
}

TEST_F(TControllerTest, DeviceInfoIsTheBlocksThreeBytesInOrder) {
    auto& unit = bus.AttachUnit(2);
    auto controller = OpenController(2, 1, &unit);
    unit.SetBlock(0, {0xFE, 0x00, 0x07});
    uint32_t info[3] = {};
    EXPECT_EQ(controller->GetDeviceInfo(&info[0], &info[1], &info[2]), 0u);
    EXPECT_EQ(info[0], 0xFEu);
    EXPECT_EQ(info[1], 0u);
    EXPECT_EQ(info[2], 7u);
    EXPECT_EQ(Messages(unit), (std::vector<TMessage>{{0, 0}}));
}

TEST_F(TControllerTest, AFailedDeviceReadGivesFiveAndLeavesTheOutputsAlone) {
    auto& unit = bus.AttachUnit(1);
    auto controller = OpenController(1, 1, &unit);
    unit.SetReplyCode(0xFF);
    uint32_t a = 1, b = 2, c = 3;
    EXPECT_EQ(controller->GetDeviceInfo(&a, &b, &c), 5u);
    EXPECT_EQ(a + b + c, 6u);
    EXPECT_EQ(controller->GetDeviceNumber(&a), 5u);
    EXPECT_EQ(controller->GetPosition21(&a), 5u);
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(std::string(controller->GetLastErrorText()), "A bad command was sent to the device.");
    unit.SetReplyCode(std::nullopt);
    unit.FailWrites(1167);
    EXPECT_EQ(controller->SetPosition22(1), 5u);
    EXPECT_EQ(std::string(controller->GetLastErrorText()).rfind("Problem sending data to VRX. ", 0),
              0u);
}

TEST_F(TControllerTest, HostValueFixedValueAndLogSwitchesNeedNoUnit) {
    TVRXHardwareController controller;
    uint32_t value = 0;
    EXPECT_EQ(controller.GetHostValue(&value), 0u);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(controller.SetHostValue(7), 0u);
    EXPECT_EQ(controller.GetHostValue(&value), 0u);
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(controller.GetFixedValue(&value), 0u);
    EXPECT_EQ(value, 30u);
    uint8_t flag = 9;
    EXPECT_EQ(controller.GetLogDumpFlag(&flag), 0u);
    EXPECT_EQ(flag, 0u);
    EXPECT_EQ(controller.SetLogDumpFlag(1), 0u);
    EXPECT_EQ(controller.GetLogDumpFlag(&flag), 0u);
    EXPECT_EQ(flag, 1u);
    EXPECT_EQ(controller.GetModelFamily(&value), 0u);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(controller.GetModelFamily(nullptr), 512u);
}

TEST_F(TControllerTest, TheTrafficLogRecordsWhatTheControllerSends) {
    KL_VRXTest::TTempDir drive;
    bus.SetDriveRoot(drive.Path());
    auto& unit = bus.AttachUnit(1);
    auto controller = OpenController(1, 1, &unit);
    bool on = true;
    EXPECT_EQ(controller->GetLogging(&on), 0u);
    EXPECT_FALSE(on);
    EXPECT_EQ(controller->SetLogging(true), 0u);
    EXPECT_EQ(controller->GetLogging(&on), 0u);
    EXPECT_TRUE(on);

    uint32_t position = 0;
    unit.SetRegister(21, 3);
    EXPECT_EQ(controller->GetPosition21(&position), 0u);
    EXPECT_EQ(controller->SetLogging(false), 0u);
    EXPECT_EQ(controller->GetLogging(&on), 0u);
    EXPECT_FALSE(on);
    EXPECT_EQ(controller->GetPosition22(&position), 0u);  // not logged

    const std::string log = drive.ReadFile("VRXHIDLog.log");
    EXPECT_NE(log.find(" Attempting to send to device: 00 15 \r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" Buffer: 00 15 03 "), std::string::npos) << log;
    EXPECT_EQ(log.find("00 16 "), std::string::npos) << log;
}

}  // namespace
