// The simulated unit of host index 0: its values, its sets, its callbacks,
// and the closed state's refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KL_VRX/KL_VRX.h"
#include "controller/controller_fixture.h"

namespace {

using K = KL_VRXSDK::KLSYS_IVRX;
using KL_VRXTest::OpenController;
using KL_VRXTest::TControllerTest;

using TRead = uint32_t (K::*)(uint32_t*);
using TSet = uint32_t (K::*)(uint32_t);

struct TSimRead {
    const char* name;
    TRead read;
    uint32_t family2;
    uint32_t family1;
};

#define SIM(op) #op, &K::op

// clang-format off
const TSimRead SimReads[] = {
    //                              family 2   family 1
    {SIM(GetPositionCount),         4,         4},
    {SIM(GetPosition21),            1,         1},
    {SIM(GetPosition20),            1,         1},
    {SIM(GetPosition22),            0,         0},
    {SIM(GetPosition23),            0,         1},
    {SIM(GetPosition24),            0,         1},
    {SIM(GetModelFamily),           2,         1},
    {SIM(GetPosition19Family2),     0,         99999},  // no failure on the simulated unit
    {SIM(GetPosition19),            1,         1},
    {SIM(GetDeviceNumber),          0,         0},
};
// clang-format on

TEST_F(TControllerTest, TheSimulatedUnitStartsFromItsOpeningValues) {
    KL_VRXSDK::KL_IVRX* created = CreateVRX(0);
    ASSERT_NE(created, nullptr) << GetLastVRXDLLError();
    K* sys = dynamic_cast<K*>(created);
    auto family1 = OpenController(1, 0, nullptr);
    for (const TSimRead& r : SimReads) {
        SCOPED_TRACE(r.name);
        uint32_t value = 12345;
        EXPECT_EQ((sys->*r.read)(&value), 0u);
        EXPECT_EQ(value, r.family2);
        EXPECT_EQ((family1.get()->*r.read)(&value), 0u);
        EXPECT_EQ(value, r.family1);
    }
    uint32_t info[3] = {9, 9, 9};
    EXPECT_EQ(sys->GetDeviceInfo(&info[0], &info[1], &info[2]), 0u);
    EXPECT_EQ(info[0] + info[1] + info[2], 0u);
    EXPECT_EQ(sys->SetPosition19(0), 512u);
    EXPECT_EQ(family1->SetPosition19(0), 0u);
    EXPECT_EQ(DeleteVRX(created), 0u);
    EXPECT_EQ(bus.Calls().writeFile, 0u);
    EXPECT_EQ(bus.Calls().freeLibrary, 1u);  // the binding goes with any controller
}

TEST_F(TControllerTest, SetsOnTheSimulatedUnitReadBackUntilTheNextOpen) {
    auto c = OpenController(2, 0, nullptr);
    EXPECT_EQ(c->SetPosition21(3) | c->SetPosition20(4) | c->SetPosition22(1) | c->SetState18(1) |
                  c->SetState224(1),
              0u);
    uint32_t p21 = 0, p20 = 0, p22 = 0;
    EXPECT_EQ(c->GetPosition21(&p21) | c->GetPosition20(&p20) | c->GetPosition22(&p22), 0u);
    EXPECT_EQ(std::vector<uint32_t>({p21, p20, p22}), (std::vector<uint32_t>{3, 4, 1}));
    EXPECT_EQ(c->Close(true) | c->Open(0, 0), 0u);
    EXPECT_EQ(c->GetPosition21(&p21) | c->GetPosition20(&p20) | c->GetPosition22(&p22), 0u);
    EXPECT_EQ(std::vector<uint32_t>({p21, p20, p22}), (std::vector<uint32_t>{1, 1, 0}));
    EXPECT_EQ(bus.Calls().writeFile, 0u);
}

class TCountingCallback : public KL_VRXSDK::KL_IVRXCallback {
  public:
    void OnChanged() override { ++calls; }
    int calls = 0;
};

// The simulated unit (index 0) and a real one (index 1) alike.
class Callbacks : public TControllerTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(Callbacks, FollowOnlySuccessfulSetsOfTheirElement) {
    auto& unit = bus.AttachUnit(2);
    TCountingCallback on20, on21;
    auto controller = OpenController(2, GetParam(), &unit);
    EXPECT_EQ(controller->SetPosition20Callback(&on20), 0u);
    EXPECT_EQ(controller->SetPosition21Callback(&on21), 0u);
    EXPECT_EQ(controller->SetPosition21(2), 0u);
    EXPECT_EQ(controller->SetPosition21(4), 512u);  // refused: nothing called
    EXPECT_EQ(controller->SetPosition22(1), 0u);    // no callback of its own
    EXPECT_EQ(controller->SetPosition20(3), 0u);
    EXPECT_EQ(controller->SetPosition21Callback(nullptr), 0u);
    EXPECT_EQ(controller->SetPosition21(1), 0u);
    EXPECT_EQ(on21.calls, 1);
    EXPECT_EQ(on20.calls, 1);
}

INSTANTIATE_TEST_SUITE_P(Controller, Callbacks, ::testing::Values(0, 1), [](const auto& info) {
    return info.param == 0 ? "SimulatedUnit" : "RealUnit";
});

// A set the unit never confirms calls nothing either.
TEST_F(TControllerTest, AnUnconfirmedSetCallsNoCallback) {
    auto& unit = bus.AttachUnit(2);
    TCountingCallback on21;
    auto controller = OpenController(2, 1, &unit);
    controller->SetPosition21Callback(&on21);
    unit.SetStuck(21, true);
    EXPECT_EQ(controller->SetPosition21(3), 5u);
    EXPECT_STREQ(controller->GetLastErrorText(), "Timeout while waiting for state transition.");
    EXPECT_EQ(on21.calls, 0);
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
