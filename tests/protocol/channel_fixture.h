// A command channel on an emulated bus, for the channel's suites.
#pragma once

#include <gtest/gtest.h>

#include <KL_VRX/emulator.h>

#include <string>
#include <vector>

#include "os/os.h"
#include "protocol/command_catalogue.h"
#include "protocol/command_channel.h"
#include "support/transport_text.h"
#include "support/unit_messages.h"

namespace KL_VRXTest {

using namespace KL_VRXProtocol;

class ChannelTest : public ::testing::Test {
  protected:
    KL_VRXEmu::TEmulatedBus bus;  // first: the channel binds through it
    TVRXCommandChannel channel;

    // A family-1 unit in launch mode 2, open on the channel without start-up
    // commands (the open's register read may fail on odd report lengths; the
    // unit stays open), with its received reports forgotten.
    KL_VRXEmu::TEmulatedUnit& OpenedUnit(uint16_t input = 65, uint16_t output = 65) {
        KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1);
        unit.SetReportLengths(input, output);
        channel.OpenUnit(0, VRXStartAction::None);
        unit.ClearReceived();
        return unit;
    }

    std::string Text() const {
        char text[ProtocolTextSize];
        channel.GetErrorText(text);
        return text;
    }
};

// Writes (0, code, value) to the unit through a handle of its own, so the
// unit's reply waits, queued, for the channel's next read.
inline void QueueReply(const KL_VRXEmu::TEmulatedUnit& unit, uint8_t code, uint8_t value,
                       uint32_t outputLength) {
    using namespace KL_VRXOS;
    auto& os = Os();
    HANDLE handle =
        os.CreateFileA(unit.Path().c_str(), GenericRead | GenericWrite,
                       FileShareRead | FileShareWrite, nullptr, OpenExisting, 0, nullptr);
    std::vector<uint8_t> report(outputLength, 0);
    report[1] = code;
    report[2] = value;
    uint32_t written = 0;
    EXPECT_TRUE(os.WriteFile(handle, report.data(), outputLength, &written, nullptr));
    os.CloseHandle(handle);
}

}  // namespace KL_VRXTest
