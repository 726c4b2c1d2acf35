// Whatever is thrown inside an operation stays inside it: a host callback
// that throws (which the header forbids, and a host still may do) ends the
// set with 5 and a text that tells what was thrown, and the controller goes
// on working.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "controller/controller_fixture.h"
#include "support/row_name.h"

namespace {

using KL_VRXTest::OpenController;
using KL_VRXTest::TControllerTest;

struct TThrowCase {
    const char* name;
    void (*raise)();
    const char* text;
};

class TThrowingCallback final : public KL_VRXSDK::KL_IVRXCallback {
  public:
    explicit TThrowingCallback(void (*raise)()) : raise(raise) {}
    void OnChanged() override { raise(); }

  private:
    void (*raise)();
};

class ThrownInside : public TControllerTest, public ::testing::WithParamInterface<TThrowCase> {};

TEST_P(ThrownInside, EndsTheOperationWithFiveAndATextThatSaysWhat) {
    const TThrowCase& c = GetParam();
    for (const int32_t index : {0, 1}) {
        SCOPED_TRACE(index == 0 ? "simulated unit" : "emulated unit");
        if (index == 1)
            bus.AttachUnit(2);
        auto controller = OpenController(2, index, nullptr);
        TThrowingCallback callback(c.raise);
        controller->SetPosition21Callback(&callback);
        EXPECT_EQ(controller->SetPosition21(3), 5u);
        EXPECT_STREQ(controller->GetLastErrorText(), c.text);
        controller->SetPosition21Callback(nullptr);
        uint32_t position = 0;
        EXPECT_EQ(controller->SetPosition21(1), 0u);
        EXPECT_EQ(controller->GetPosition21(&position), 0u);
        EXPECT_EQ(position, 1u);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Controller, ThrownInside, ::testing::Values(
    TThrowCase{"OutOfMemory", [] { throw std::bad_alloc(); }, "Out of memory."},
    TThrowCase{"StandardException", [] { throw std::runtime_error("no room on the bus"); },
               "Unexpected error: no room on the bus"},
    TThrowCase{"AnythingElse", [] { throw 42; }, "Unexpected error."}),
    KL_VRXTest::RowName());
// clang-format on

}  // namespace
