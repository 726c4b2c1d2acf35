// The unit firmware as the library meets it: replies to every command code,
// register transitions on the virtual clock, and the launch-mode switch.
#include "emulator_fixture.h"
#include "support/allocation_counter.h"

namespace KL_VRXEmuTest {
namespace {

// Each code on a fresh unit; then the writes' registers and last values.
TEST_F(EmulatorTest, AnswersEveryCommandOfTheCatalogue) {
    const struct {
        uint8_t code, value;
        TBytes head;  // of the reply; empty: no reply at all
    } rows[] = {
        // clang-format off
        {0, 0, {0, 0, 1, 2, 3}}, {2, 2, {0, 2, 2}}, {15, 0, {}},
        {18, 0, {0, 18, 127}}, {19, 0, {0, 19, 1}}, {20, 0, {0, 20, 1}}, {21, 0, {0, 21, 1}},
        {22, 0, {0, 22, 2}}, {23, 0, {0, 23, 2}}, {24, 0, {0, 24, 2}},
        {25, 0, {0, 25, 0x78, 0x56, 0x34, 0x12}},
        {33, 15, {0, 33, 15}}, {39, 9, {0, 39, 9}}, {224, 127, {0, 224, 127}},
        {1, 5, {0, 0xFF}}, {17, 0, {0, 0xFF}}, {26, 0, {0, 0xFF}}, {32, 0, {0, 0xFF}},
        {40, 0, {0, 0xFF}}, {255, 0, {0, 0xFF}},
        // clang-format on
    };
    for (const auto& row : rows)
        EXPECT_EQ(Exchange(bus.AttachUnit(1), row.code, row.value),
                  row.head.empty() ? TBytes() : Reply(row.head))
            << +row.code;

    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(2);
    for (uint8_t code : {33, 34, 35, 36, 37, 38, 39, 224, 2})
        Exchange(unit, code, code);
    for (uint8_t reg = 18; reg <= 24; ++reg)
        EXPECT_EQ(unit.Register(reg), reg + 15);
    EXPECT_EQ(unit.LastValue(224), 224);
    EXPECT_EQ(unit.LastValue(2), 2);
    EXPECT_EQ(Exchange(unit, 21), Reply({0, 21, 36}));
    unit.SetBlock(0, {9, 8, 7});
    EXPECT_EQ(Exchange(unit, 0), Reply({0, 0, 9, 8, 7}));
}

// The paired register takes the value after its transition time, also
// across the tick count's wrap; a stuck one never does. Replies not read
// yet wait, oldest first.
TEST_F(EmulatorTest, RegisterTakesTheValueAfterItsTransitionTime) {
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1);
    unit.SetTransitionTime(21, 700);
    unit.SetStuck(19, true);
    bus.SetTick(0xFFFFFFF0u);
    HANDLE h = Open(unit.Path());
    Send(h, 36, 3);
    Send(h, 34, 9);
    EXPECT_EQ(Receive(h), Reply({0, 36, 3}));
    EXPECT_EQ(Receive(h), Reply({0, 34, 9}));
    os.Sleep(699);
    Send(h, 21);
    EXPECT_EQ(Receive(h), Reply({0, 21, 1}));
    os.Sleep(1);
    Send(h, 21);
    EXPECT_EQ(Receive(h), Reply({0, 21, 3}));
    EXPECT_EQ(unit.Register(19), 1);
}

// Only 2 with value 2 right before 15 switches, and not a unit that ignores it.
TEST_F(EmulatorTest, LaunchModeSwitchReenumeratesUnderTheFirstProductId) {
    const struct {
        std::vector<std::pair<uint8_t, uint8_t>> before;  // (code, value) sent before 15
        bool ignores;
    } stays[] = {{{{2, 1}}, false}, {{{2, 2}, {18, 0}}, false}, {{{2, 2}}, true}};
    for (const auto& row : stays) {
        KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1, 1);
        unit.SetIgnoresLaunchModeSwitch(row.ignores);
        const std::string path = unit.Path();
        HANDLE h = Open(path);
        for (const auto& [code, value] : row.before)
            Send(h, code, value);
        Send(h, 15);
        EXPECT_EQ(unit.LaunchMode(), 1u);
        EXPECT_EQ(Send(h, 18), 0u);  // the same path, still open
        bus.Detach(unit);
    }
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(2, 1);
    bus.AttachUnit(1);
    const std::string oldPath = unit.Path();
    EXPECT_NE(oldPath.find("vid_3c5a&pid_0e57#"), std::string::npos);
    HANDLE h = Open(oldPath);
    Send(h, 2, 2);
    EXPECT_EQ(Receive(h), Reply({0, 2, 2}));
    ASSERT_EQ(Send(h, 15), 0u);

    EXPECT_EQ(unit.LaunchMode(), 2u);
    const std::vector<std::string> paths = KL_VRXTest::WalkHidInterfaces(os);
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_EQ(paths[1], unit.Path());  // joined at the end
    EXPECT_NE(unit.Path().find("vid_3c5a&pid_0e58#"), std::string::npos);
    EXPECT_EQ(Send(h, 18), ErrorDeviceNotConnected);
    EXPECT_EQ(Open(oldPath), InvalidHandleValue);
    EXPECT_EQ(Exchange(unit, 18), Reply({0, 18, 127}));
    EXPECT_EQ(unit.Received().size(), 3u);  // the same unit goes on recording
}

// Lengths as the HID class driver checks them: a write of exactly the
// output length, a read buffer of at least the input length.
TEST_F(EmulatorTest, CapsGiveTheUnitsReportLengthsAndIoKeepsToThem) {
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1);
    unit.SetReportLengths(9, 7);
    auto getData = Entry<PFN_HidD_GetPreparsedData>("HidD_GetPreparsedData");
    auto getCaps = Entry<PFN_HidP_GetCaps>("HidP_GetCaps");
    HANDLE h = Open(unit.Path());
    PHIDP_PREPARSED_DATA data = nullptr;
    ASSERT_TRUE(getData(h, &data));
    HIDP_CAPS caps{};
    EXPECT_EQ(getCaps(data, &caps), HIDP_STATUS_SUCCESS);
    EXPECT_EQ(caps.InputReportByteLength, 9);
    EXPECT_EQ(caps.OutputReportByteLength, 7);
    EXPECT_TRUE(Entry<PFN_HidD_FreePreparsedData>("HidD_FreePreparsedData")(data));
    EXPECT_NE(getCaps(data, &caps), HIDP_STATUS_SUCCESS);

    EXPECT_EQ(Send(h, 18, 0, 6), ErrorInvalidParameter);
    EXPECT_EQ(Send(h, 18, 0, 8), ErrorInvalidUserBuffer);
    EXPECT_EQ(Send(h, 18, 0, 0), ErrorInvalidUserBuffer);
    EXPECT_TRUE(unit.Received().empty());
    EXPECT_EQ(Send(h, 18, 0, 7), 0u);
    EXPECT_TRUE(Receive(h, 8).empty());
    EXPECT_EQ(error, ErrorInvalidUserBuffer);
    EXPECT_EQ(Receive(h, 100), TBytes({0, 18, 127, 0, 0, 0, 0, 0, 0}));

    unit.SetGetCapsFails(true);
    EXPECT_FALSE(getData(h, &data));
    EXPECT_EQ(os.GetLastError(), ErrorGenFailure);
}

// Replies wait oldest first however writes and reads interleave, while the
// queue's storage turns over; and once the unit has served an exchange, the
// next costs the emulator no allocation, its recording included.
TEST_F(EmulatorTest, RepliesKeepTheirOrderAndAnExchangeAllocatesNothing) {
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1);
    HANDLE h = Open(unit.Path());
    const std::vector<std::vector<uint8_t>> rounds = {{18, 19, 20}, {21, 22}, {23, 18, 19, 20}};
    std::vector<uint8_t> pending;
    for (const auto& codes : rounds) {
        for (uint8_t code : codes) {
            Send(h, code);
            pending.push_back(code);
        }
        // Leave one reply queued each round (then none after the last).
        while (pending.size() > (&codes == &rounds.back() ? 0u : 1u)) {
            EXPECT_EQ(Receive(h).at(1), pending.front());
            pending.erase(pending.begin());
        }
    }
    EXPECT_TRUE(Receive(h).empty());

    uint8_t report[65] = {0, 21};
    uint8_t reply[65];
    uint32_t count = 0;
    unit.ClearReceived();
    const uint64_t before = KL_VRXTest::AllocationCount();
    EXPECT_TRUE(os.WriteFile(h, report, 65, &count, nullptr));
    EXPECT_TRUE(os.ReadFile(h, reply, 65, &count, nullptr));
    EXPECT_EQ(KL_VRXTest::AllocationCount() - before, 0u);
    EXPECT_EQ(TBytes(reply, reply + 3), TBytes({0, 21, 1}));
    ASSERT_EQ(unit.Received().size(), 1u);
    EXPECT_EQ(unit.Received()[0], TBytes(report, report + 65));
}

}  // namespace
}  // namespace KL_VRXEmuTest
