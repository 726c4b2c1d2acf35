// The traffic log of a hidraw unit: "C:\VRXHIDLog.log" lands in the current
// directory with CR LF line ends, the virtual tick count and the thread id.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "support/log_file.h"
#include "support/temp_dir.h"
#include "umockdev/host_fixture.h"

namespace {

using namespace KL_VRXTest;

class HidrawTrafficLog : public HidrawHost {
  protected:
    void SetUp() override {
        HidrawHost::SetUp();
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    }
    void TearDown() override {
        EXPECT_EQ(chdir(cwd), 0);
        HidrawHost::TearDown();
    }

    TTempDir dir;
    char cwd[4096] = {};
};

// Closing, then reopening with start action 2 (one read of register 18):
// the open shows the node's Windows-shaped path, and the read the 32-byte
// reply with the report ID 0 the backend puts in front.
TEST_F(HidrawTrafficLog, RecordsTheOpenAndEachReportWithVirtualTicks) {
    bed.PlugUnit(2);
    TVRX vrx = Create(1);
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    const uint32_t created = static_cast<uint32_t>(clock.Now());
    EXPECT_EQ(GetVRX2(vrx.get())->SetLogging(true), 0u);
    EXPECT_EQ(Sys(vrx).Close(false), 0u);
    clock.Advance(1234);
    EXPECT_EQ(Sys(vrx).Open(1, 2), 0u) << vrx->GetLastErrorText();
    EXPECT_EQ(GetVRX2(vrx.get())->SetLogging(false), 0u);

    const uint32_t thread = static_cast<uint32_t>(gettid());
    const std::string closed = RecordPrefix(thread, created);
    const std::string later = RecordPrefix(thread, created + 1234);
    std::string zeros;
    for (int i = 0; i < 30; ++i)
        zeros += "00 ";
    EXPECT_EQ(LogText(dir.ReadFile("VRXHIDLog.log")),
              CreatedHeader + closed + "***Device Closed.\n" + DumpedHeader + later +
                  "***Succeeded trying to open device at path: "
                  "\\\\?\\hid#vid_3c5a&pid_0e58#hidraw0\n" +
                  later + " Attempting to send to device: 00 12 \n" + later +
                  "    Send succeeded. Bytes read by device: 33\n" + later +
                  " Attempting to read from device: \n" + later +
                  "    Read succeeded. Bytes read by device: 33 Buffer: 00 12 0F " + zeros + "\n");
}

// A symbolic link planted at the log's name in the current directory is
// never followed: the log counts as a file that did not open, so transfers
// fail with the log's status while logging is on, and the file the link
// names stays as it was.
TEST_F(HidrawTrafficLog, APlantedLinkIsNeverFollowed) {
    bed.PlugUnit(2);
    std::ofstream(dir.File("target")) << "precious";
    ASSERT_EQ(symlink(dir.File("target").c_str(), "VRXHIDLog.log"), 0);
    TVRX vrx = Create(1);
    ASSERT_TRUE(vrx) << GetLastVRXDLLError();
    uint32_t position = 0;
    EXPECT_EQ(GetVRX2(vrx.get())->SetLogging(true), 0u);
    EXPECT_EQ(vrx->GetPosition21(&position), 5u);
    EXPECT_STREQ(vrx->GetLastErrorText(),
                 "Problem sending data to VRX. Could not create log file.");
    EXPECT_EQ(GetVRX2(vrx.get())->SetLogging(false), 0u);
    EXPECT_EQ(vrx->GetPosition21(&position), 0u);
    vrx.reset();

    EXPECT_EQ(dir.ReadFile("target"), "precious");
    struct stat status {};
    ASSERT_EQ(lstat("VRXHIDLog.log", &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
}

}  // namespace
