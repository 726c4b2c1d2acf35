// The input reports a unit has queued for the host, oldest first.
//
// A report's storage stays with the queue when the report is read and serves
// a later one, so once the queue has been as long as it ever gets, queuing and
// reading a report allocate nothing: the emulator adds no heap traffic of its
// own to the exchanges it serves. It offers the part of std::deque's
// interface the firmware uses, under the same names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace KL_VRXEmu::Detail {

class TReportQueue {
  public:
    // A new report at the back: length bytes, all zero, for the caller to fill.
    std::vector<uint8_t>& emplace_back(size_t length);

    // The oldest report; only while the queue is not empty.
    const std::vector<uint8_t>& front() const { return slots[head]; }

    // Drops the oldest report (nothing when the queue is empty).
    void pop_front();

    bool empty() const { return count == 0; }
    void clear() { head = count = 0; }

  private:
    // A ring: count reports from head on, wrapping at the end.
    std::vector<std::vector<uint8_t>> slots;
    size_t head = 0;
    size_t count = 0;
};

}  // namespace KL_VRXEmu::Detail
