// TUnitHandle: the one system handle a process holds on a unit, shared by
// every controller of that unit in the process.
//
// Both kernels give each open handle of a device its own copy of every input
// report (hidraw a buffer per open file, Windows' HID class driver a ring
// buffer per handle). Controllers of one unit that each opened their own
// handle would each receive the other's replies and take a stale one for
// their own. So the controllers of a unit share its handle, found by device
// path in the transport's table, and take turns: one exchange (a report out
// and the reading of its reply, polls included) at a time. The turn belongs
// to the unit alone and is held across that unit's I/O only; other units and
// the process-wide state never wait for it. What another process does with
// the unit is out of reach: its handle gets copies of every report, and its
// reports are read by nobody here.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "os/win_types.h"

namespace KL_VRXHid {

class TUnitHandle {
  public:
    // Takes over an open handle; the destructor closes it.
    TUnitHandle(std::string path, KL_VRXOS::HANDLE handle);
    ~TUnitHandle();

    TUnitHandle(const TUnitHandle&) = delete;
    TUnitHandle& operator=(const TUnitHandle&) = delete;

    KL_VRXOS::HANDLE Handle() const { return handle; }
    const std::string& Path() const { return path; }

    // The unit behind the handle has gone (error 1167, or its capabilities
    // could not be read): later opens of the path make a handle of their
    // own instead of joining this one, whose holders keep it until they close.
    void Retire() { retired.store(true, std::memory_order_relaxed); }
    bool Retired() const { return retired.load(std::memory_order_relaxed); }

    // Held for one exchange on the unit. Uncontended, it costs no system
    // call: a unit with one controller pays nothing for it.
    std::mutex& Turn() { return turn; }

  private:
    const std::string path;
    const KL_VRXOS::HANDLE handle;
    std::atomic<bool> retired{false};
    std::mutex turn;
};

// The handle of the unit at path, opened for report I/O: the one another
// controller of the process holds on it, or a new one. Null on failure, with
// the system's error in error. Takes the state lock for the table only, never
// across the open or a close.
std::shared_ptr<TUnitHandle> OpenUnitHandle(const std::string& path, uint32_t& error);

}  // namespace KL_VRXHid
