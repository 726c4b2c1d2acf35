// As both kernels do, every handle open for I/O on a unit gets its own copy
// of each input report the unit sends while it is open.
#include "emulator/emulator_fixture.h"

namespace KL_VRXEmuTest {
namespace {

TEST_F(EmulatorTest, EveryOpenHandleGetsItsOwnCopyOfEachReport) {
    const std::string path = bus.AttachUnit(1).Path();
    const HANDLE a = Open(path);
    const HANDLE b = Open(path);
    ASSERT_EQ(Send(a, 19), 0u);
    const HANDLE late = Open(path);  // sees only what comes after its open
    ASSERT_EQ(Send(b, 22), 0u);
    const TBytes first = Reply({0, 19, 1});
    const TBytes second = Reply({0, 22, 2});
    const struct {
        HANDLE handle;
        std::vector<TBytes> reads;
    } rows[] = {{a, {first, second, {}}}, {b, {first, second, {}}}, {late, {second, {}}}};
    for (const auto& row : rows)
        for (const TBytes& expected : row.reads)
            EXPECT_EQ(Receive(row.handle), expected);
    for (HANDLE h : {a, b, late})
        os.CloseHandle(h);
}

}  // namespace
}  // namespace KL_VRXEmuTest
