// The one process-wide lock of the library state.
//
// Held across every binding and unbinding of hid.dll, every discovery (an
// enumeration together with the count or selection that reads its path
// list), every call into one of hid.dll's entry points, and every write of
// ProcessLastError. Never held across a unit's report I/O, a sleep, a host
// callback or a wait for anything but the lock itself, so every holder lets
// go within a few system calls.
//
// Functions that need it held take a `const TStateLock&`: the lock object
// is their proof, and no function takes it while its caller holds it.
#pragma once

namespace KL_VRXState {

class TStateLock {
  public:
    // Waits until the lock is free and holds it.
    [[nodiscard]] TStateLock();
    ~TStateLock();

    TStateLock(const TStateLock&) = delete;
    TStateLock& operator=(const TStateLock&) = delete;
};

}  // namespace KL_VRXState
