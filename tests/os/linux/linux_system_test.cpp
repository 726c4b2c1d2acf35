// Checks against this machine's real system, mirroring the Windows suite's
// checks against Wine: binding, a complete enumeration, time.
#include <gtest/gtest.h>

#include "os/linux/linux_os.h"
#include "os/os_checks.h"

namespace {

using namespace KL_VRXOS;

TEST(LinuxSystem, HidDllBindsAndUnbinds) {
    KL_IOperatingSystem& os = DefaultOs();
    HMODULE hid = KL_VRXTest::ExpectHidDllBinds(os);
    EXPECT_TRUE(os.FreeLibrary(hid));
    EXPECT_FALSE(os.FreeLibrary(hid));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
    EXPECT_EQ(os.GetProcAddress(hid, "HidP_GetCaps"), nullptr);
    EXPECT_EQ(os.LoadLibraryA("user32.dll"), nullptr);
    EXPECT_EQ(os.GetLastError(), ErrorModNotFound);
}

// Whatever this machine has, the walk ends with 259.
TEST(LinuxSystem, EnumerationCompletesAndTheTickCountMoves) {
    uint32_t end = 0;
    KL_VRXTest::WalkHidInterfaces(DefaultOs(), &end);
    EXPECT_EQ(end, ErrorNoMoreItems);
    KL_VRXTest::ExpectTickCountMoves(DefaultOs());
}

}  // namespace
