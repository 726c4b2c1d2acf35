// What the decoder suites share: a bus whose "C:\" is a temporary folder, so
// the library's own traffic log can be read back and decoded, and short
// descriptions of decoded entries to compare whole logs with.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "KL_VRX/KL_VRX.h"
#include "KL_VRX/emulator.h"
#include "log_commands.h"
#include "log_decoder.h"
#include "log_exchanges.h"
#include "log_summary.h"
#include "support/temp_dir.h"

namespace KL_VRXTest {

struct TDecoded {
    VrxctlLog::TParsedLog log;
    std::vector<VrxctlLog::TLogEntry> entries;
    VrxctlLog::TLogSummary summary;

    std::vector<VrxctlLog::TLogEntry> Exchanges() const {
        std::vector<VrxctlLog::TLogEntry> exchanges;
        for (const auto& entry : entries)
            if (entry.kind == VrxctlLog::TEntryKind::Exchange)
                exchanges.push_back(entry);
        return exchanges;
    }
};

inline TDecoded Decode(const std::string& text) {
    TDecoded decoded;
    decoded.log = VrxctlLog::ParseTrafficLog(text);
    decoded.entries = VrxctlLog::BuildEntries(decoded.log);
    decoded.summary = VrxctlLog::Summarize(decoded.log, decoded.entries);
    // What vrxctl prints is the same however the log is cut into pieces.
    std::ostringstream whole, pieces;
    VrxctlLog::TLogDecoder once({}, whole), piecewise({}, pieces);
    once.Feed(text);
    for (size_t i = 0; i < text.size(); i += 1 + i % 7)
        piecewise.Feed(std::string_view(text).substr(i, 1 + i % 7));
    EXPECT_EQ(once.Finish(), piecewise.Finish());
    EXPECT_EQ(whole.str(), pieces.str());
    return decoded;
}

// An entry as a person would sum it up: "SetPosition21 sent 3 answered",
// "Position21 read 3 answered", "opened", "closed", "unparsed 7".
inline std::string Brief(const VrxctlLog::TLogEntry& entry) {
    using namespace VrxctlLog;
    switch (entry.kind) {
        case TEntryKind::DeviceOpened:
            return "opened";
        case TEntryKind::DeviceClosed:
            return "closed";
        case TEntryKind::Unparsed:
            return "unparsed " + std::to_string(entry.line);
        case TEntryKind::Exchange:
            break;
        default:
            return "other";
    }
    static const char* const outcomes[] = {"answered",    "rejected",  "not echoed",  "no answer",
                                           "send failed", "0 written", "read failed", "sent only",
                                           "incomplete",  "partial"};
    const TCommandInfo info = CommandInfo(entry.Command());
    std::string text = entry.HasCommand() && info.name != nullptr ? info.name : "?";
    if (entry.sent.size() >= 3)
        text += " sent " + std::to_string(entry.sent[2]);
    else if (entry.outcome == TOutcome::Answered && info.kind == TCommandKind::Register)
        text += " read " + std::to_string(entry.ReplyByte(2));
    return text + " " + outcomes[static_cast<size_t>(entry.outcome)];
}

// The entries but the headers, in Brief's words.
inline std::vector<std::string> Briefs(const TDecoded& decoded) {
    std::vector<std::string> briefs;
    for (const auto& entry : decoded.entries)
        if (entry.kind != VrxctlLog::TEntryKind::LoggerCreated &&
            entry.kind != VrxctlLog::TEntryKind::Dumped)
            briefs.push_back(Brief(entry));
    return briefs;
}

class LibraryLog : public ::testing::Test {
  protected:
    LibraryLog() {
        bus.SetDriveRoot(dir.Path());
        // One millisecond per report, so answer times are not all 0.
        bus.SetReportLatency(1);
    }

    // A controller for the host index, logging from here on. A creation that
    // fails ends the test (as a failure, through the exception) before its
    // caller could use the null controller.
    KL_VRXSDK::KLSYS_IVRX* Create(int32_t hostIndex, uint8_t dumpFlag = 0) {
        auto* vrx = dynamic_cast<KL_VRXSDK::KLSYS_IVRX*>(CreateVRX(hostIndex));
        if (vrx == nullptr)
            throw std::runtime_error("CreateVRX(" + std::to_string(hostIndex) +
                                     ") failed: " + GetLastVRXDLLError());
        vrx->SetLogDumpFlag(dumpFlag);
        vrx->SetLogging(true);
        return vrx;
    }

    std::string LogFile() const { return dir.ReadFile("VRXHIDLog.log"); }

    TTempDir dir;
    KL_VRXEmu::TEmulatedBus bus;
};

}  // namespace KL_VRXTest
