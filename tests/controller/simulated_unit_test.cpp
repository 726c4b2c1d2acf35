// The simulated unit of host index 0, callbacks on a real unit, and the
// closed state's refusals.
#include <gtest/gtest.h>

#include <utility>

#include "KL_VRX/KL_VRX.h"
#include "controller/controller_fixture.h"

namespace {

using K = KL_VRXSDK::KLSYS_IVRX;
using KL_VRXTest::OpenController;
using KL_VRXTest::TControllerTest;

using TRead = uint32_t (K::*)(uint32_t*);
using TSet = uint32_t (K::*)(uint32_t);

// Family 1's simulated unit; the host suite drives family 2's through the
// shared library, sets and callbacks included.
TEST_F(TControllerTest, TheSimulatedUnitOfFamilyOneStartsFromItsOpeningValues) {
    const std::pair<TRead, uint32_t> reads[] = {
        {&K::GetPositionCount, 4},
        {&K::GetPosition21, 1},
        {&K::GetPosition20, 1},
        {&K::GetPosition22, 0},
        {&K::GetPosition23, 1},
        {&K::GetPosition24, 1},
        {&K::GetModelFamily, 1},
        {&K::GetPosition19, 1},
        {&K::GetDeviceNumber, 0},
        {&K::GetPosition19Family2, 99999},  // no failure on the simulated unit
    };
    auto family1 = OpenController(1, 0, nullptr);
    for (const auto& [read, expected] : reads) {
        uint32_t value = 12345;
        EXPECT_EQ((family1.get()->*read)(&value), 0u);
        EXPECT_EQ(value, expected);
    }
    EXPECT_EQ(family1->SetPosition19(0), 0u);
    EXPECT_EQ(bus.Calls().writeFile, 0u);
}

class TCountingCallback : public KL_VRXSDK::KL_IVRXCallback {
  public:
    void OnChanged() override { ++calls; }
    int calls = 0;
};

// A set the unit refuses or never confirms calls nothing.
TEST_F(TControllerTest, CallbacksFollowOnlyConfirmedSetsOfTheirElement) {
    auto& unit = bus.AttachUnit(2);
    TCountingCallback on20, on21;
    auto controller = OpenController(2, 1, &unit);
    EXPECT_EQ(controller->SetPosition20Callback(&on20), 0u);
    EXPECT_EQ(controller->SetPosition21Callback(&on21), 0u);
    EXPECT_EQ(controller->SetPosition21(2), 0u);
    EXPECT_EQ(controller->SetPosition21(4), 512u);
    EXPECT_EQ(controller->SetPosition22(1), 0u);  // no callback of its own
    EXPECT_EQ(controller->SetPosition20(3), 0u);
    unit.SetStuck(21, true);
    EXPECT_EQ(controller->SetPosition21(3), 5u);
    EXPECT_STREQ(controller->GetLastErrorText(), "Timeout while waiting for state transition.");
    unit.SetStuck(21, false);
    EXPECT_EQ(controller->SetPosition21Callback(nullptr), 0u);
    EXPECT_EQ(controller->SetPosition21(1), 0u);
    EXPECT_EQ(on21.calls, 1);
    EXPECT_EQ(on20.calls, 1);
}

TEST_F(TControllerTest, NothingOpenGivesTwoAndLeavesTheTextAlone) {
    // clang-format off
    const TRead reads[] = {&K::GetPositionCount, &K::GetPosition21, &K::GetPosition20,
        &K::GetPosition22, &K::GetPosition23, &K::GetPosition24, &K::GetPosition19Family2,
        &K::GetDeviceNumber, &K::GetPosition19};
    // SetPosition23 with 9: 2 even before the argument check.
    const TSet sets[] = {&K::SetPosition21, &K::SetPosition20, &K::SetPosition22,
        &K::SetPosition23, &K::SetState224, &K::SetState18, &K::SetPosition24, &K::SetPosition19};
    // clang-format on
    TVRXHardwareController controller;
    controller.SetModelFamily(1);
    EXPECT_STREQ(controller.GetLastErrorText(), "");
    EXPECT_EQ(controller.Open(5, 0), 10u);
    uint32_t v = 7;
    for (TRead read : reads)
        EXPECT_EQ((controller.*read)(&v), 2u);
    for (TSet set : sets)
        EXPECT_EQ((controller.*set)(9), 2u);
    EXPECT_EQ(controller.GetDeviceInfo(&v, &v, &v), 2u);
    EXPECT_EQ(v, 7u);
    EXPECT_STREQ(controller.GetLastErrorText(), "Index out of range.");
}

}  // namespace
