// A command channel on an emulated bus, for the channel's suites.
#pragma once

#include <gtest/gtest.h>

#include <KL_VRX/emulator.h>

#include <string>
#include <utility>
#include <vector>

#include "protocol/command_catalogue.h"
#include "protocol/command_channel.h"

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
        char text[256];
        channel.GetErrorText(text);
        return text;
    }
};

// Command code and value byte of each report the unit received.
inline std::vector<std::pair<int, int>> Messages(const KL_VRXEmu::TEmulatedUnit& unit) {
    std::vector<std::pair<int, int>> messages;
    for (const auto& report : unit.Received())
        messages.emplace_back(report[1], report[2]);
    return messages;
}
