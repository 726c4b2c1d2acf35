// Checks against this machine's real system, mirroring the Windows suite's
// checks against Wine: binding, a complete enumeration, time, thread ids.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

#include "os/linux/linux_os.h"
#include "os/os_checks.h"

namespace {

using namespace KL_VRXOS;

// Whatever this machine has, the walk ends with 259.
TEST(LinuxSystem, HidDllBindsAndUnbindsEnumerationEndsAndTheTickCountMoves) {
    KL_IOperatingSystem& os = DefaultOs();
    HMODULE hid = KL_VRXTest::ExpectHidDllBinds(os);
    EXPECT_TRUE(os.FreeLibrary(hid));
    EXPECT_FALSE(os.FreeLibrary(hid));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
    EXPECT_EQ(os.GetProcAddress(hid, "HidP_GetCaps"), nullptr);
    EXPECT_EQ(os.LoadLibraryA("user32.dll"), nullptr);
    EXPECT_EQ(os.GetLastError(), ErrorModNotFound);
    uint32_t end = 0;
    KL_VRXTest::WalkHidInterfaces(os, &end);
    EXPECT_EQ(end, ErrorNoMoreItems);
    KL_VRXTest::ExpectTickCountMoves(os);
}

// Each thread has its own id, which the layer keeps rather than asking the
// kernel for every log record; a forked child's thread is a new one.
TEST(LinuxSystem, ThreadIdsAreEachThreadsOwnAlsoAfterAFork) {
    KL_IOperatingSystem& os = DefaultOs();
    const uint32_t mine = os.GetCurrentThreadId();
    EXPECT_EQ(mine, static_cast<uint32_t>(gettid()));
    uint32_t other = mine;
    std::thread([&] { other = os.GetCurrentThreadId(); }).join();
    EXPECT_NE(other, mine);
    const pid_t child = fork();
    if (child == 0)
        _exit(DefaultOs().GetCurrentThreadId() == static_cast<uint32_t>(gettid()) ? 0 : 1);
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(os.GetCurrentThreadId(), mine);
}

}  // namespace
