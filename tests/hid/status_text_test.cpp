// The transport's status texts the other hid suites do not reach: their
// texts, the zeroed rest of the 128 characters, and a read that changes
// nothing.
#include <gtest/gtest.h>

#include <cstring>

#include "KL_VRX/emulator.h"
#include "hid/hid_binding.h"
#include "hid/transport_status.h"

namespace {

using namespace KL_VRXHid;

TEST(TransportStatusText, EveryCodeHasItsTextWithinTheFirst128Characters) {
    // The bus puts the state back to its load-time values when it goes.
    KL_VRXEmu::TEmulatedBus bus;
    struct {
        uint32_t code, apiError;
        const char* text;
    } const cases[] = {
        {1, 5, "Could not find device."},
        {7, 259, "Bad HID Comms. Code: 2. API error: 259."},
        {9, 0xFFFFFFFF, "Send fail. API error: -1."},
        {10, 0x80000000, "Read fail. API error: -2147483648."},
        {0xFFFFFFFF, 5, "Unknown transport status 4294967295."},
    };
    TTransportState& state = TransportState();
    for (const auto& c : cases) {
        state.lastTransportStatus = static_cast<TransportStatus>(c.code);
        state.lastApiError = c.apiError;
        state.lastEnumerationStep = TEnumerationStep::InterfaceList;
        char buffer[TransportTextSize + 1];
        std::memset(buffer, 'x', sizeof buffer);
        GetTransportStatusText(buffer);
        EXPECT_STREQ(buffer, c.text) << c.code;
        for (size_t i = std::strlen(c.text); i < TransportTextSize; ++i)
            ASSERT_EQ(buffer[i], '\0') << c.code << " at " << i;
        EXPECT_EQ(buffer[TransportTextSize], 'x');
        EXPECT_EQ(static_cast<uint32_t>(state.lastTransportStatus.Load()), c.code);
        EXPECT_EQ(state.lastApiError.Load(), c.apiError);
    }
}

}  // namespace
