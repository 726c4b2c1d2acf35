#include "umockdev/virtual_time_os.h"

#include "state/library_state.h"

namespace KL_VRXTest {

using namespace KL_VRXOS;

// Report reads only look (a slice of 0): a fake unit queues its reply before
// the write that asked for it returns, and a silent unit's reply time-out
// then passes on the virtual clock, 5 ms per empty read, without real waits.
TVirtualTimeOs::TVirtualTimeOs(TVirtualClock& clock)
    : TForwardingOs(real), clock(clock), real("/sys", "/dev", 0) {
    KL_VRXState::ResetLibraryState();
    SetActiveOs(this);
}

TVirtualTimeOs::~TVirtualTimeOs() {
    // Unbind through this object while it is still the active OS.
    KL_VRXState::ResetLibraryState();
    SetActiveOs(nullptr);
}

uint32_t TVirtualTimeOs::GetTickCount() {
    return static_cast<uint32_t>(clock.Now());
}

void TVirtualTimeOs::Sleep(uint32_t ms) {
    clock.Advance(ms);
}

}  // namespace KL_VRXTest
