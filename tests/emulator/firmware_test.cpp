// The unit firmware as the library meets it: replies to every command code,
// register transitions on the virtual clock, and the launch-mode switch.
#include "emulator_fixture.h"

namespace KL_VRXEmuTest {
namespace {

using Bytes = std::vector<uint8_t>;

// A full 65-byte input report starting with the given bytes.
Bytes Reply(Bytes head) {
    head.resize(65, 0);
    return head;
}

TEST_F(EmulatorTest, AnswersEveryCommandOfTheCatalogue) {
    struct TRow {
        uint8_t code;
        uint8_t value;
        Bytes reply;  // empty: no reply at all
    };
    const TRow rows[] = {
        {0, 0, Reply({0, 0, 1, 2, 3})},
        {2, 2, Reply({0, 2, 2})},  // a unit already in launch mode 2 just echoes
        {15, 0, {}},
        {18, 0, Reply({0, 18, 127})},
        {19, 0, Reply({0, 19, 1})},
        {20, 0, Reply({0, 20, 1})},
        {21, 0, Reply({0, 21, 1})},
        {22, 0, Reply({0, 22, 2})},
        {23, 0, Reply({0, 23, 2})},
        {24, 0, Reply({0, 24, 2})},
        {25, 0, Reply({0, 25, 0x78, 0x56, 0x34, 0x12})},
        {33, 15, Reply({0, 33, 15})},
        {34, 7, Reply({0, 34, 7})},
        {39, 9, Reply({0, 39, 9})},
        {224, 127, Reply({0, 224, 127})},
        {1, 5, Reply({0, 0xFF})},
        {17, 0, Reply({0, 0xFF})},
        {26, 0, Reply({0, 0xFF})},
        {32, 0, Reply({0, 0xFF})},
        {40, 0, Reply({0, 0xFF})},
        {255, 0, Reply({0, 0xFF})},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.code));
        KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1);
        EXPECT_EQ(Exchange(unit, row.code, row.value), row.reply);
    }
}

TEST_F(EmulatorTest, WritesReachTheirRegisterOrLastValue) {
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(2);
    for (uint8_t code = 33; code <= 39; ++code)
        Exchange(unit, code, code);
    for (uint8_t reg = 18; reg <= 24; ++reg)
        EXPECT_EQ(unit.Register(reg), reg + 15);
    Exchange(unit, 224, 15);
    Exchange(unit, 2, 1);
    EXPECT_EQ(unit.LastValue(224), 15);
    EXPECT_EQ(unit.LastValue(2), 1);
    EXPECT_EQ(Exchange(unit, 21), Reply({0, 21, 36}));
}

TEST_F(EmulatorTest, RegisterTakesTheValueAfterItsTransitionTime) {
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1);
    unit.SetTransitionTime(21, 700);
    HANDLE h = Open(unit.Path());
    ASSERT_EQ(Send(h, 36, 3), 0u);
    Receive(h);
    os.Sleep(699);
    Send(h, 21);
    EXPECT_EQ(Receive(h).bytes, Reply({0, 21, 1}));
    EXPECT_EQ(unit.Register(21), 1);
    os.Sleep(1);
    Send(h, 21);
    EXPECT_EQ(Receive(h).bytes, Reply({0, 21, 3}));
}

TEST_F(EmulatorTest, StuckRegisterEchoesButKeepsItsValue) {
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1);
    unit.SetStuck(19, true);
    EXPECT_EQ(Exchange(unit, 34, 9), Reply({0, 34, 9}));
    os.Sleep(10000);
    EXPECT_EQ(unit.Register(19), 1);
}

TEST_F(EmulatorTest, TransitionCompletesAcrossTheTickWrap) {
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1);
    unit.SetTransitionTime(18, 100);
    bus.SetTick(0xFFFFFFF0u);
    Exchange(unit, 33, 15);
    os.Sleep(0x20);
    EXPECT_EQ(os.GetTickCount(), 0x10u);
    os.Sleep(0x50);
    EXPECT_EQ(unit.Register(18), 15);
}

TEST_F(EmulatorTest, UnreadRepliesStayQueuedOldestFirst) {
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1);
    unit.SetBlock(0, {9, 8, 7});
    HANDLE h = Open(unit.Path());
    Send(h, 0);
    Send(h, 19);
    EXPECT_EQ(Receive(h).bytes, Reply({0, 0, 9, 8, 7}));
    EXPECT_EQ(Receive(h).bytes, Reply({0, 19, 1}));
    const TRead empty = Receive(h);
    EXPECT_TRUE(empty.ok);
    EXPECT_TRUE(empty.bytes.empty());
}

TEST_F(EmulatorTest, LaunchModeSwitchReenumeratesUnderTheFirstProductId) {
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(2, 1);
    bus.AttachUnit(1);
    const std::string oldPath = unit.Path();
    EXPECT_NE(oldPath.find("vid_3c5a&pid_0e57#"), std::string::npos);
    HANDLE h = Open(oldPath);
    Send(h, 2, 2);
    EXPECT_EQ(Receive(h).bytes, Reply({0, 2, 2}));
    ASSERT_EQ(Send(h, 15), 0u);

    EXPECT_EQ(unit.LaunchMode(), 2u);
    const std::vector<std::string> paths = Enumerate();
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[1], unit.Path());  // joined at the end
    EXPECT_NE(unit.Path(), oldPath);
    EXPECT_NE(unit.Path().find("vid_3c5a&pid_0e58#"), std::string::npos);

    EXPECT_EQ(Send(h, 18), ErrorDeviceNotConnected);
    EXPECT_EQ(Receive(h).error, ErrorDeviceNotConnected);
    EXPECT_EQ(Open(oldPath), InvalidHandleValue);
    EXPECT_EQ(os.GetLastError(), ErrorFileNotFound);
    EXPECT_EQ(Exchange(unit, 18), Reply({0, 18, 127}));
    EXPECT_EQ(unit.Received().size(), 3u);  // the same unit goes on recording
}

TEST_F(EmulatorTest, LaunchModeStaysWithoutTheExactSequenceOrWhenIgnored) {
    struct TRow {
        const char* name;
        std::vector<std::pair<uint8_t, uint8_t>> before;  // (code, value) sent before 15
        bool ignores;
    };
    const TRow rows[] = {
        {"other value", {{2, 1}}, false},
        {"other command between", {{2, 2}, {18, 0}}, false},
        {"ignored", {{2, 2}}, true},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1, 1);
        unit.SetIgnoresLaunchModeSwitch(row.ignores);
        const std::string path = unit.Path();
        HANDLE h = Open(path);
        for (const auto& [code, value] : row.before)
            Send(h, code, value);
        Send(h, 15);
        EXPECT_EQ(unit.LaunchMode(), 1u);
        EXPECT_EQ(unit.Path(), path);
        EXPECT_EQ(Send(h, 18), 0u);
    }
}

TEST_F(EmulatorTest, CapsGiveTheUnitsReportLengths) {
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1);
    unit.SetReportLengths(9, 7);
    auto getData = Entry<PFN_HidD_GetPreparsedData>("HidD_GetPreparsedData");
    auto getCaps = Entry<PFN_HidP_GetCaps>("HidP_GetCaps");
    auto freeData = Entry<PFN_HidD_FreePreparsedData>("HidD_FreePreparsedData");
    HANDLE h = Open(unit.Path());
    PHIDP_PREPARSED_DATA data = nullptr;
    ASSERT_TRUE(getData(h, &data));
    HIDP_CAPS caps{};
    EXPECT_EQ(getCaps(data, &caps), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(caps.InputReportByteLength, 9);
    EXPECT_EQ(caps.OutputReportByteLength, 7);
    EXPECT_TRUE(freeData(data));
    EXPECT_NE(getCaps(data, &caps), HIDP_STATUS_SUCCESS);

    EXPECT_EQ(Send(h, 18, 0, 7), 0u);
    EXPECT_EQ(Receive(h, 9).bytes, Bytes({0, 18, 127, 0, 0, 0, 0, 0, 0}));

    unit.SetGetCapsFails(true);
    EXPECT_FALSE(getData(h, &data));
    EXPECT_EQ(os.GetLastError(), ErrorGenFailure);
}

TEST_F(EmulatorTest, ReportLengthsAreCheckedAsByTheHidClassDriver) {
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1);
    HANDLE h = Open(unit.Path());
    EXPECT_EQ(Send(h, 18, 0, 64), ErrorInvalidParameter);
    EXPECT_EQ(Send(h, 18, 0, 66), ErrorInvalidUserBuffer);
    EXPECT_EQ(Send(h, 18, 0, 0), ErrorInvalidUserBuffer);
    EXPECT_TRUE(unit.Received().empty());
    Send(h, 18);
    EXPECT_EQ(Receive(h, 64).error, ErrorInvalidUserBuffer);
    const TRead big = Receive(h, 100);
    EXPECT_TRUE(big.ok);
    EXPECT_EQ(big.bytes, Reply({0, 18, 127}));
}

}  // namespace
}  // namespace KL_VRXEmuTest
