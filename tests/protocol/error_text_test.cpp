#include <cstring>
#include <iterator>

#include "channel_fixture.h"

namespace {

using KL_VRXTest::ChannelTest;
using namespace KL_VRXProtocol;

// The transport's text follows the codes that stand for a transport failure;
// here it is the text of the failed open just before.
TEST_F(ChannelTest, EveryCodeHasItsTextAndTransportFailuresTheTransportText) {
    EXPECT_EQ(Text(), "Success.");  // a new channel
    EXPECT_EQ(channel.OpenUnit(0, VRXStartAction::None), ProtocolError::OpenFailed);
    EXPECT_EQ(Text(), "Unable to open VRX. Device index out of range.");
    const char* const texts[] = {
        "Success.",
        "No VRX has been opened.",
        "Unable to change launch mode for attached VRXs.",
        "Cannot do a write while in safe mode.",
        "Have timed out trying to read from the device.",
        "Insufficient buffer space.",
        "A bad command was sent to the device.",
        "The command was not echoed.",
        "Timeout while waiting for state transition.",
        "Unable to get device information. Device index out of range.",
        "Unable to open VRX. Device index out of range.",
        "Problem sending data to VRX. Device index out of range.",
        "Problem reading data from VRX. Device index out of range.",
        "",  // no operation records a code past ReadFailed
    };
    for (uint32_t code = 0; code < std::size(texts); ++code) {
        char buffer[300];
        std::memset(buffer, 'x', sizeof buffer);
        GetProtocolErrorText(static_cast<ProtocolError>(code), buffer);
        EXPECT_STREQ(buffer, texts[code]);
        for (size_t i = std::strlen(texts[code]); i < ProtocolTextSize; ++i)
            ASSERT_EQ(buffer[i], '\0') << code << " at " << i;
        EXPECT_EQ(buffer[ProtocolTextSize], 'x');  // the caller's 256 characters only
    }
}

}  // namespace
