// The traffic log of a hidraw unit: "C:\VRXHIDLog.log" lands in the current
// directory with CR LF line ends, the virtual tick count and the thread id.
#include <unistd.h>

#include <filesystem>

#include "support/log_file.h"
#include "support/temp_dir.h"
#include "umockdev/host_fixture.h"

namespace {

using namespace KL_VRXTest;

// Runs in a directory of its own.
class HidrawTrafficLog : public HidrawHost {
  protected:
    void SetUp() override {
        HidrawHost::SetUp();
        std::filesystem::current_path(dir.Path());
    }
    void TearDown() override {
        std::filesystem::current_path(cwd);
        HidrawHost::TearDown();
    }

    TTempDir dir;
    const std::filesystem::path cwd = std::filesystem::current_path();
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

}  // namespace
