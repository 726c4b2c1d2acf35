// One unit behind the emulated hidraw nodes: the emulator's unit firmware,
// reached through whatever /dev/hidrawN the unit appears as, plus the
// switches a test needs to make it misbehave the way hardware does.
//
// Every member may be called from the test's thread while the library runs
// on the node handlers' thread; they share the testbed's lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "emulator/unit_firmware.h"
#include "umockdev/virtual_time_os.h"

namespace KL_VRXTest {

// When a unit told to vanish on a command leaves the bus.
enum class TUnplug {
    AsWritten,    // the report is never delivered: the write fails
    BeforeReply,  // the unit takes the command and goes before it answers
};

class TFakeUnit {
  public:
    TFakeUnit(std::mutex& lock, const TVirtualClock& clock, unsigned family, unsigned launchMode);
    TFakeUnit(const TFakeUnit&) = delete;
    TFakeUnit& operator=(const TFakeUnit&) = delete;

    unsigned Family() const;
    // 2 after a launch-mode switch took effect.
    unsigned LaunchMode() const;
    // N of the /dev/hidrawN the unit appears as now, or of the last one
    // before it was unplugged.
    unsigned Node() const;
    bool Present() const;
    // The output report length its report descriptor declares, report-ID
    // byte included.
    uint16_t OutputLength() const;

    // Registers 18 to 24, transitions due by the virtual clock applied.
    uint8_t Register(uint8_t code) const;
    // Last value written with 224 or 2 (no register behind them).
    uint8_t LastValue(uint8_t code) const;
    // How long after a write register reg takes the written value.
    void SetTransitionTime(uint8_t reg, uint32_t ms);
    // The register ignores writes (the write is still echoed).
    void SetStuck(uint8_t reg, bool stuck);
    // Byte 1 of every reply (0xFF: rejected); nullopt: the echo.
    void SetReplyCode(std::optional<uint8_t> code);
    // Stays in its launch mode when told to switch.
    void SetIgnoresLaunchModeSwitch(bool ignores);
    // Takes commands but sends no input report.
    void SetSilent(bool silent);
    // The unit leaves the bus (node and sysfs entry gone) the next time it
    // is sent command code.
    void UnplugOn(uint8_t code, TUnplug moment);

    // Every output report it took, as written (report ID first), in order.
    std::vector<std::vector<uint8_t>> Received() const;
    void ClearReceived();
    // How often the host opened one of its nodes.
    unsigned Opens() const;

  private:
    friend class THidrawNode;
    friend class THidrawTestbed;

    // What a written report did; the node and the testbed act on it.
    enum class TOutcome { Taken, Reset, UnpluggedUntaken, UnpluggedAfterTaking };

    // The callers hold the testbed's lock.
    TOutcome TakeLocked(const uint8_t* report, size_t length);
    bool HasReportLocked() const;
    std::vector<uint8_t> NextReportLocked();
    void NewOpenLocked();
    uint16_t ProductIdLocked() const;

    std::mutex& lock;
    const TVirtualClock& clock;
    // Mutable: reading a register settles the transitions that are due.
    mutable KL_VRXEmu::Detail::TUnitFirmware firmware;
    bool silent = false;
    struct TUnplugTrigger {
        uint8_t code;
        TUnplug moment;
    };
    std::optional<TUnplugTrigger> unplugOn;
    unsigned node = 0;
    bool present = false;
    unsigned opens = 0;
};

}  // namespace KL_VRXTest
