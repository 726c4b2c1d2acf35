// The texts of the channel's codes. The exact texts the host sees are pinned
// where each code arises (the transaction and launch-mode suites); here:
// every code has a text of its own, the transport's text follows the codes
// that stand for a transport failure, and the buffer is filled to its 256
// characters with NUL and not one further.
#include <cstring>
#include <set>
#include <string>

#include "channel_fixture.h"

namespace {

using KL_VRXTest::ChannelTest;
using namespace KL_VRXProtocol;

TEST_F(ChannelTest, EveryCodeHasATextOfItsOwnAndTransportFailuresTheTransportText) {
    EXPECT_EQ(channel.OpenUnit(0, VRXStartAction::None), ProtocolError::OpenFailed);
    const std::string transport = "Device index out of range.";  // of the failed open
    std::set<std::string> texts;
    for (uint32_t code = 0; code <= 13; ++code) {
        char buffer[300];
        std::memset(buffer, 'x', sizeof buffer);
        GetProtocolErrorText(static_cast<ProtocolError>(code), buffer);
        const std::string text = buffer;
        // No operation records a code past ReadFailed (12).
        EXPECT_EQ(text.empty(), code == 13) << code;
        const bool transportFailure = code >= 9 && code <= 12;
        EXPECT_EQ(text.ends_with(". " + transport), transportFailure) << code << ": " << text;
        texts.insert(text);
        for (size_t i = text.size(); i < ProtocolTextSize; ++i)
            ASSERT_EQ(buffer[i], '\0') << code << " at " << i;
        EXPECT_EQ(buffer[ProtocolTextSize], 'x');  // the caller's 256 characters only
    }
    EXPECT_EQ(texts.size(), 14u);
}

}  // namespace
