// Host-level tests of the real Linux OS layer: the library, driven through
// its public header only, on hidraw units that umockdev emulates, with time
// on a virtual clock. The process runs under umockdev-wrapper.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "KL_VRX/KL_VRX.h"
#include "umockdev/hidraw_testbed.h"
#include "umockdev/virtual_time_os.h"

namespace KL_VRXTest {

struct TDeleteVRX {
    void operator()(KL_VRXSDK::KL_IVRX* vrx) const { EXPECT_EQ(DeleteVRX(vrx), 0u); }
};
using TVRX = std::unique_ptr<KL_VRXSDK::KL_IVRX, TDeleteVRX>;

// A command message as the unit receives it: report ID 0, the code, the
// value, zeros to the unit's output report length.
inline std::vector<uint8_t> Message(const TFakeUnit& unit, uint8_t code, uint8_t value = 0) {
    std::vector<uint8_t> report(unit.OutputLength(), 0);
    report[1] = code;
    report[2] = value;
    return report;
}

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

}  // namespace KL_VRXTest
