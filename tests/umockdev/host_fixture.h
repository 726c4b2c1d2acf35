// Host-level tests of the real Linux OS layer: the library, driven through
// its public header only, on hidraw units that umockdev emulates, with time
// on a virtual clock. The process runs under umockdev-wrapper.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "KL_VRX/KL_VRX.h"
#include "support/row_name.h"
#include "umockdev/hidraw_testbed.h"
#include "umockdev/virtual_time_os.h"

namespace KL_VRXTest {

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
    static unsigned Opens(TFakeUnit& unit) {
        return unit.With([](TUnitState& s) { return s.opens; });
    }

    TVirtualClock clock;
    THidrawTestbed bed{clock};
    TVirtualTimeOs os{clock};
};

// A parameterised host test over rows of TRow.
template <typename TRow>
class HidrawHostP : public HidrawHost, public ::testing::WithParamInterface<TRow> {};

}  // namespace KL_VRXTest
