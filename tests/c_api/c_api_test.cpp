// What the C face adds to the operations: refusals of null pointers, the
// per-thread last error, names, reasons, callbacks with user data, the
// emulation switch. The operations themselves are the C++ suites' concern.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "KL_VRX/KL_VRX_c.h"
#include "KL_VRX/emulator.h"

namespace {

class CApiTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(kl_vrx_emulate("1,2:mode1", 0), KL_VRX_OK); }
    void TearDown() override {
        kl_vrx_close(unit);
        EXPECT_EQ(kl_vrx_emulate(nullptr, 0), KL_VRX_OK);
    }
    void Open(int32_t hostIndex) { ASSERT_EQ(kl_vrx_open(hostIndex, &unit), KL_VRX_OK); }

    kl_vrx_unit* unit = nullptr;
};

using TOutCall = uint32_t (*)(kl_vrx_unit*, void*);
#define OUT_CALL(call) [](kl_vrx_unit* u, void* p) -> uint32_t { return call; }
const TOutCall OutCalls[] = {
    OUT_CALL(kl_vrx_get_position_count(u, static_cast<uint32_t*>(p))),
    OUT_CALL(kl_vrx_get_position21(u, static_cast<uint32_t*>(p))),
    OUT_CALL(kl_vrx_get_position20(u, static_cast<uint32_t*>(p))),
    OUT_CALL(kl_vrx_get_position22(u, static_cast<uint32_t*>(p))),
    OUT_CALL(kl_vrx_get_position23(u, static_cast<uint32_t*>(p))),
    OUT_CALL(kl_vrx_get_position24(u, static_cast<uint32_t*>(p))),
    OUT_CALL(kl_vrx_get_position19(u, static_cast<uint32_t*>(p))),
    OUT_CALL(kl_vrx_get_position19_family2(u, static_cast<uint32_t*>(p))),
    OUT_CALL(kl_vrx_get_model_family(u, static_cast<uint32_t*>(p))),
    OUT_CALL(kl_vrx_get_host_value(u, static_cast<uint32_t*>(p))),
    OUT_CALL(kl_vrx_get_fixed_value(u, static_cast<uint32_t*>(p))),
    OUT_CALL(kl_vrx_get_device_number(u, static_cast<uint32_t*>(p))),
    OUT_CALL(kl_vrx_get_device_info(u, static_cast<uint32_t*>(p), static_cast<uint32_t*>(p) + 1,
                                    static_cast<uint32_t*>(p) + 2)),
    OUT_CALL(kl_vrx_get_logging(u, static_cast<int32_t*>(p))),
    OUT_CALL(kl_vrx_get_log_dump_flag(u, static_cast<uint8_t*>(p))),
    OUT_CALL(kl_vrx_get_device_count(u, static_cast<int32_t*>(p))),
};

void Count(void* calls) {
    ++*static_cast<int*>(calls);
}

TEST_F(CApiTest, NullUnitsAndOutPointersAreRefusedWith513) {
    Open(0);  // the simulated unit: each call reaches the controller with the null pointer
    uint32_t out[3] = {};
    for (const TOutCall call : OutCalls) {
        EXPECT_EQ(call(nullptr, out), KL_VRX_INVALID_POINTER);
        EXPECT_EQ(call(unit, nullptr), KL_VRX_INVALID_POINTER);
    }
    // Every other entry refuses a null unit in the one place all of them share.
    EXPECT_EQ(kl_vrx_set_position21(nullptr, 1), KL_VRX_INVALID_POINTER);
    EXPECT_EQ(kl_vrx_set_position21_callback(nullptr, &Count, nullptr), KL_VRX_INVALID_POINTER);
    EXPECT_EQ(kl_vrx_count(nullptr), KL_VRX_INVALID_POINTER);
    EXPECT_EQ(kl_vrx_open(1, nullptr), KL_VRX_INVALID_POINTER);
    EXPECT_STRNE(kl_vrx_unit_error(nullptr), "");
    EXPECT_EQ(kl_vrx_unit_reason(nullptr), KL_VRX_REASON_NONE);
    kl_vrx_close(nullptr);
}

TEST_F(CApiTest, LastErrorIsPerThread) {
    ASSERT_EQ(kl_vrx_open(9, &unit), KL_VRX_INDEX_OUT_OF_RANGE);
    std::string before, after;
    std::thread other([&] {
        before = kl_vrx_last_error();
        kl_vrx_emulate("7", 0);
        after = kl_vrx_last_error();
    });
    other.join();
    EXPECT_EQ(before, "");
    EXPECT_NE(after.find("unit \"7\""), std::string::npos) << after;
    EXPECT_STREQ(kl_vrx_last_error(), "Index out of range.");
}

TEST(CApiNames, EveryStatusAndReasonHasItsConstantsName) {
    const std::pair<uint32_t, const char*> statuses[] = {
        {KL_VRX_OK, "KL_VRX_OK"},
        {KL_VRX_NOT_OPEN, "KL_VRX_NOT_OPEN"},
        {KL_VRX_OPEN_FAILED, "KL_VRX_OPEN_FAILED"},
        {KL_VRX_COMMAND_FAILED, "KL_VRX_COMMAND_FAILED"},
        {KL_VRX_INDEX_OUT_OF_RANGE, "KL_VRX_INDEX_OUT_OF_RANGE"},
        {KL_VRX_POSITION_OUT_OF_RANGE, "KL_VRX_POSITION_OUT_OF_RANGE"},
        {KL_VRX_INVALID_PARAMETER, "KL_VRX_INVALID_PARAMETER"},
        {KL_VRX_INVALID_POINTER, "KL_VRX_INVALID_POINTER"},
        {514, "KL_VRX_UNKNOWN_STATUS"}};
    for (const auto& [status, name] : statuses)
        EXPECT_STREQ(kl_vrx_status_name(status), name) << status;
    const char* const reasons[] = {
        "KL_VRX_NONE",        "KL_VRX_NO_UNIT_OPEN",  "KL_VRX_LAUNCH_MODE",
        "KL_VRX_SAFE_MODE",   "KL_VRX_TIMEOUT",       "KL_VRX_BUFFER",
        "KL_VRX_BAD_COMMAND", "KL_VRX_NOT_ECHOED",    "KL_VRX_TRANSITION_TIMEOUT",
        "KL_VRX_DEVICE_INFO", "KL_VRX_OPEN",          "KL_VRX_SEND",
        "KL_VRX_READ",        "KL_VRX_UNKNOWN_REASON"};
    for (uint32_t reason = 0; reason <= KL_VRX_REASON_READ + 1; ++reason)
        EXPECT_STREQ(kl_vrx_reason_name(reason), reasons[reason]) << reason;
    EXPECT_EQ(kl_vrx_version(), static_cast<uint32_t>(KL_VRX_VERSION));
}

TEST(CApiReasons, AUnitKnowsTheProtocolCodeBehindItsLatestFailure) {
    KL_VRXEmu::TEmulatedBus bus;
    KL_VRXEmu::TEmulatedUnit& emulated = bus.AttachUnit(1);
    kl_vrx_unit* unit = nullptr;
    ASSERT_EQ(kl_vrx_open(1, &unit), KL_VRX_OK);
    uint32_t position = 0;
    emulated.SetSilent(true);
    EXPECT_EQ(kl_vrx_get_position21(unit, &position), KL_VRX_COMMAND_FAILED);
    EXPECT_EQ(kl_vrx_unit_reason(unit), KL_VRX_REASON_TIMEOUT);
    kl_vrx_close(unit);
}

TEST_F(CApiTest, CallbacksGetTheirUserDataUntilCleared) {
    Open(1);
    int calls20 = 0, calls21 = 0;
    ASSERT_EQ(kl_vrx_set_position20_callback(unit, &Count, &calls20), KL_VRX_OK);
    ASSERT_EQ(kl_vrx_set_position21_callback(unit, &Count, &calls21), KL_VRX_OK);
    ASSERT_EQ(kl_vrx_set_position21(unit, 2), KL_VRX_OK);
    EXPECT_EQ(calls21, 1);
    ASSERT_EQ(kl_vrx_set_position20(unit, 1), KL_VRX_OK);
    EXPECT_EQ(calls20, 1);
    ASSERT_EQ(kl_vrx_set_position21_callback(unit, nullptr, &calls21), KL_VRX_OK);
    ASSERT_EQ(kl_vrx_set_position21(unit, 1), KL_VRX_OK);
    EXPECT_EQ(calls21, 1);
}

TEST_F(CApiTest, EmulateRefusesBadSpecsAndOpenUnitsChangingNothing) {
    const std::pair<const char*, const char*> bad[] = {
        {"1,3", "unit \"3\": the family must be 1 or 2"},
        {"2:fast", "unit \"2:fast\": the launch mode"},
        {"1,,2", "unit \"\""},
        {"1,", "a list of units is needed"},
        {"", "a list of units is needed"},
    };
    for (const auto& [spec, text] : bad) {
        EXPECT_EQ(kl_vrx_emulate(spec, 0), KL_VRX_INVALID_PARAMETER) << spec;
        EXPECT_NE(std::string(kl_vrx_last_error()).find(text), std::string::npos)
            << spec << ": " << kl_vrx_last_error();
    }
    uint32_t count = 0;
    ASSERT_EQ(kl_vrx_count(&count), KL_VRX_OK);
    EXPECT_EQ(count, 3u);
    Open(2);
    EXPECT_EQ(kl_vrx_emulate("none", 0), KL_VRX_INVALID_PARAMETER);
    EXPECT_NE(std::string(kl_vrx_last_error()).find("still open"), std::string::npos);
}

}  // namespace
