#include <cstring>

#include "channel_fixture.h"
#include "hid/hid_api.h"

TEST_F(ChannelTest, EveryCodeHasItsTextAndTransportFailuresTheTransportText) {
    EXPECT_EQ(Text(), "Success.");  // a new channel
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
        "",  // no operation records a code past 12
    };
    LastTransportStatus = TransportStatus::IndexOutOfRange;
    for (uint32_t code = 0; code < std::size(texts); ++code) {
        channel.lastError = static_cast<ProtocolError>(code);
        char buffer[300];
        std::memset(buffer, 'x', sizeof buffer);
        channel.GetErrorText(buffer);
        EXPECT_STREQ(buffer, texts[code]);
        EXPECT_EQ(buffer[255], '\0');
        EXPECT_EQ(buffer[256], 'x');  // the caller's 256 characters only
    }
}
