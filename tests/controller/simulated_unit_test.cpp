// The simulated unit of host index 0: its values, its sets, its callbacks,
// and the closed state's refusals.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "KL_VRX/KL_VRX.h"
#include "controller/controller_fixture.h"

namespace {

using KL_VRXSDK::KLSYS_IVRX;
using KL_VRXTest::OpenController;
using KL_VRXTest::TControllerTest;

using TRead = uint32_t (KLSYS_IVRX::*)(uint32_t*);

struct TSimRead {
    const char* name;
    TRead read;
    uint32_t family2;
    uint32_t family1;
};

#define SIM(op) #op, &KLSYS_IVRX::op

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

KLSYS_IVRX* Sys(KL_VRXSDK::KL_IVRX* vrx) {
    return dynamic_cast<KLSYS_IVRX*>(vrx);
}

TEST_F(TControllerTest, TheSimulatedUnitStartsFromItsOpeningValues) {
    KL_VRXSDK::KL_IVRX* created = CreateVRX(0);
    ASSERT_NE(created, nullptr) << GetLastVRXDLLError();
    auto family1 = OpenController(1, 0, nullptr);
    for (const TSimRead& r : SimReads) {
        SCOPED_TRACE(r.name);
        uint32_t value = 12345;
        EXPECT_EQ((Sys(created)->*r.read)(&value), 0u);
        EXPECT_EQ(value, r.family2);
        EXPECT_EQ((family1.get()->*r.read)(&value), 0u);
        EXPECT_EQ(value, r.family1);
    }
    uint32_t info[3] = {9, 9, 9};
    EXPECT_EQ(Sys(created)->GetDeviceInfo(&info[0], &info[1], &info[2]), 0u);
    EXPECT_EQ(info[0] + info[1] + info[2], 0u);
    EXPECT_EQ(Sys(created)->SetPosition19(0), 512u);
    EXPECT_EQ(family1->SetPosition19(0), 0u);
    EXPECT_EQ(DeleteVRX(created), 0u);
    EXPECT_EQ(bus.Calls().writeFile, 0u);
    EXPECT_EQ(bus.Calls().freeLibrary, 1u);  // the binding goes with any controller
}

TEST_F(TControllerTest, SetsOnTheSimulatedUnitReadBackUntilTheNextOpen) {
    auto controller = OpenController(2, 0, nullptr);
    uint32_t value = 0;
    EXPECT_EQ(controller->SetPosition21(3), 0u);
    EXPECT_EQ(controller->sim21, 4u);
    EXPECT_EQ(controller->GetPosition21(&value), 0u);
    EXPECT_EQ(value, 3u);
    EXPECT_EQ(controller->SetPosition20(4), 0u);
    EXPECT_EQ(controller->sim20, 0u);
    EXPECT_EQ(controller->GetPosition20(&value), 0u);
    EXPECT_EQ(value, 4u);
    EXPECT_EQ(controller->SetPosition22(1), 0u);
    EXPECT_EQ(controller->GetPosition22(&value), 0u);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(controller->SetState18(1), 0u);
    EXPECT_EQ(controller->sim18, 127u);
    EXPECT_EQ(controller->SetState224(1), 0u);
    EXPECT_EQ(controller->sim224, 127u);

    EXPECT_EQ(controller->Close(true), 0u);
    EXPECT_EQ(controller->Open(0, 0), 0u);
    EXPECT_EQ(controller->GetPosition21(&value), 0u);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(controller->sim18, 15u);
}

class TCountingCallback : public KL_VRXSDK::KL_IVRXCallback {
  public:
    void OnChanged() override { ++calls; }
    int calls = 0;
};

TEST_F(TControllerTest, CallbacksFollowOnlySuccessfulSetsOfTheirElement) {
    auto& unit = bus.AttachUnit(2);
    TCountingCallback on20;
    TCountingCallback on21;
    for (int32_t index : {0, 1}) {
        SCOPED_TRACE(index == 0 ? "simulated" : "real");
        auto controller = OpenController(2, index, &unit);
        on20.calls = on21.calls = 0;
        EXPECT_EQ(controller->SetPosition20Callback(&on20), 0u);
        EXPECT_EQ(controller->SetPosition21Callback(&on21), 0u);

        EXPECT_EQ(controller->SetPosition21(2), 0u);
        EXPECT_EQ(controller->SetPosition21(4), 512u);  // refused: nothing called
        EXPECT_EQ(controller->SetPosition22(1), 0u);    // no callback of its own
        EXPECT_EQ(on21.calls, 1);
        EXPECT_EQ(on20.calls, 0);
        EXPECT_EQ(controller->SetPosition20(3), 0u);
        EXPECT_EQ(on20.calls, 1);

        EXPECT_EQ(controller->SetPosition21Callback(nullptr), 0u);
        EXPECT_EQ(controller->SetPosition21(1), 0u);
        EXPECT_EQ(on21.calls, 1);
    }
    // A set the unit never confirms calls nothing either.
    auto controller = OpenController(2, 1, &unit);
    controller->SetPosition21Callback(&on21);
    unit.SetStuck(21, true);
    on21.calls = 0;
    EXPECT_EQ(controller->SetPosition21(3), 5u);
    EXPECT_EQ(std::string(controller->GetLastErrorText()),
              "Timeout while waiting for state transition.");
    EXPECT_EQ(on21.calls, 0);
}

// Every operation that needs an open unit, as a host would call it.
const std::function<uint32_t(KLSYS_IVRX&)> NeedsAUnit[] = {
    [](KLSYS_IVRX& c) {
        uint32_t v;
        return c.GetPositionCount(&v);
    },
    [](KLSYS_IVRX& c) {
        uint32_t v;
        return c.GetPosition21(&v);
    },
    [](KLSYS_IVRX& c) { return c.SetPosition21(1); },
    [](KLSYS_IVRX& c) {
        uint32_t v;
        return c.GetPosition20(&v);
    },
    [](KLSYS_IVRX& c) { return c.SetPosition20(1); },
    [](KLSYS_IVRX& c) {
        uint32_t v;
        return c.GetPosition22(&v);
    },
    [](KLSYS_IVRX& c) { return c.SetPosition22(1); },
    [](KLSYS_IVRX& c) {
        uint32_t v;
        return c.GetPosition23(&v);
    },
    [](KLSYS_IVRX& c) { return c.SetPosition23(9); },  // 2 even before the argument check
    [](KLSYS_IVRX& c) { return c.SetState224(1); },
    [](KLSYS_IVRX& c) { return c.SetState18(1); },
    [](KLSYS_IVRX& c) {
        uint32_t v;
        return c.GetPosition24(&v);
    },
    [](KLSYS_IVRX& c) { return c.SetPosition24(1); },
    [](KLSYS_IVRX& c) {
        uint32_t v;
        return c.GetPosition19Family2(&v);
    },
    [](KLSYS_IVRX& c) {
        uint32_t a, b, d;
        return c.GetDeviceInfo(&a, &b, &d);
    },
    [](KLSYS_IVRX& c) {
        uint32_t v;
        return c.GetDeviceNumber(&v);
    },
    [](KLSYS_IVRX& c) {
        uint32_t v;
        return c.GetPosition19(&v);
    },
    [](KLSYS_IVRX& c) { return c.SetPosition19(1); },
};

TEST_F(TControllerTest, NothingOpenGivesTwoAndLeavesTheTextAlone) {
    TVRXHardwareController controller;
    controller.SetModelFamily(1);
    EXPECT_STREQ(controller.GetLastErrorText(), "");
    EXPECT_EQ(controller.Open(5, 0), 10u);
    for (size_t i = 0; i < std::size(NeedsAUnit); ++i) {
        EXPECT_EQ(NeedsAUnit[i](controller), 2u) << "operation " << i;
        EXPECT_STREQ(controller.GetLastErrorText(), "Index out of range.") << "operation " << i;
    }
}

}  // namespace
