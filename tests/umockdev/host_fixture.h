// Host-level tests of the real Linux OS layer: the library, driven through
// its public header only, on hidraw units that umockdev emulates, with time
// on a virtual clock. The process runs under umockdev-wrapper.
//
// Every module, enumeration, device and file call goes to a TLinuxOs on the
// machine's own /sys and /dev (which umockdev redirects to its testbed);
// only GetTickCount and Sleep are virtual, so the library's polls and 3 s
// reply time-outs cost no real time.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "KL_VRX/KL_VRX.h"
#include "os/linux/linux_os.h"
#include "state/library_state.h"
#include "support/row_name.h"
#include "umockdev/hidraw_testbed.h"

namespace KL_VRXTest {

// While it lives, the library's OS: the real Linux layer with a virtual
// clock. Constructing and destroying it each put the library's process-wide
// state back to its load-time values, so every test starts from a freshly
// loaded library and no binding outlives it. Report reads only look (a slice
// of 0): a fake unit queues its reply before the write that asked for it
// returns, and a silent unit's reply time-out then passes on the virtual
// clock, 5 ms per empty read.
class TVirtualTimeOs final : public KL_VRXOS::TLinuxOs {
  public:
    explicit TVirtualTimeOs(TVirtualClock& clock) : TLinuxOs("/sys", "/dev", 0), clock(clock) {
        KL_VRXState::ResetLibraryState();
        KL_VRXOS::SetActiveOs(this);
    }
    // Unbinds through this object while it is still the active OS.
    ~TVirtualTimeOs() override {
        KL_VRXState::ResetLibraryState();
        KL_VRXOS::SetActiveOs(nullptr);
    }

    // The tick count is the clock's milliseconds (wrapping at 32 bits);
    // Sleep(n) returns at once and adds exactly n.
    uint32_t GetTickCount() override { return static_cast<uint32_t>(clock.Now()); }
    void Sleep(uint32_t ms) override { clock.Advance(ms); }

  private:
    TVirtualClock& clock;
};

struct TDeleteVRX {
    void operator()(KL_VRXSDK::KL_IVRX* vrx) const { EXPECT_EQ(DeleteVRX(vrx), 0u); }
};
using TVRX = std::unique_ptr<KL_VRXSDK::KL_IVRX, TDeleteVRX>;

class HidrawHost : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(bed.Emulating()) << "this suite runs under umockdev-wrapper";
    }
    void TearDown() override { EXPECT_THAT(bed.Problems(), ::testing::IsEmpty()); }

    // GetVRXDeviceCount, which must succeed.
    uint32_t Count() {
        uint32_t count = 0;
        EXPECT_EQ(GetVRXDeviceCount(&count), 0u) << GetLastVRXDLLError();
        return count;
    }
    static TVRX Create(int32_t hostIndex) { return TVRX(CreateVRX(hostIndex)); }
    static KL_VRXSDK::KLSYS_IVRX& Sys(const TVRX& vrx) {
        return dynamic_cast<KL_VRXSDK::KLSYS_IVRX&>(*vrx);
    }

    TVirtualClock clock;
    THidrawTestbed bed{clock};
    TVirtualTimeOs os{clock};
};

// A parameterised host test over rows of TRow.
template <typename TRow>
class HidrawHostP : public HidrawHost, public ::testing::WithParamInterface<TRow> {};

}  // namespace KL_VRXTest
