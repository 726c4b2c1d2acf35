// The real Linux OS layer on a virtual clock, for host-level tests that run
// on emulated hidraw devices.
//
// Every module, enumeration, device and file call goes to a TLinuxOs on the
// machine's own /sys and /dev (which umockdev redirects to its testbed);
// only GetTickCount and Sleep are virtual, so the library's 5 s launch-mode
// pauses, 5 ms polls and 3 s reply time-outs cost no real time.
#pragma once

#include <atomic>
#include <cstdint>

#include "os/linux/linux_os.h"
#include "state/library_state.h"
#include "support/forwarding_os.h"

namespace KL_VRXTest {

// Milliseconds that only Sleep advances, shared by the host's OS layer and
// the fake units' firmware (for their register transitions).
class TVirtualClock {
  public:
    uint64_t Now() const { return now.load(); }
    void Advance(uint32_t ms) { now.fetch_add(ms); }

  private:
    std::atomic<uint64_t> now{0};
};

// While it lives, the library's OS. Constructing and destroying it each put
// the library's process-wide state back to its load-time values, so every
// test starts from a freshly loaded library and no binding outlives it.
// Report reads only look (a slice of 0): a fake unit queues its reply
// before the write that asked for it returns, and a silent unit's reply
// time-out then passes on the virtual clock, 5 ms per empty read.
class TVirtualTimeOs final : public TForwardingOs {
  public:
    explicit TVirtualTimeOs(TVirtualClock& clock)
        : TForwardingOs(real), clock(clock), real("/sys", "/dev", 0) {
        KL_VRXState::ResetLibraryState();
        KL_VRXOS::SetActiveOs(this);
    }
    // Unbinds through this object while it is still the active OS.
    ~TVirtualTimeOs() override {
        KL_VRXState::ResetLibraryState();
        KL_VRXOS::SetActiveOs(nullptr);
    }
    TVirtualTimeOs(const TVirtualTimeOs&) = delete;
    TVirtualTimeOs& operator=(const TVirtualTimeOs&) = delete;

    // The tick count is the clock's milliseconds (wrapping at 32 bits);
    // Sleep(n) returns at once and adds exactly n.
    uint32_t GetTickCount() override { return static_cast<uint32_t>(clock.Now()); }
    void Sleep(uint32_t ms) override { clock.Advance(ms); }

  private:
    TVirtualClock& clock;
    KL_VRXOS::TLinuxOs real;
};

}  // namespace KL_VRXTest
