#include "emulator/report_queue.h"

#include <algorithm>

namespace KL_VRXEmu::Detail {

std::vector<uint8_t>& TReportQueue::emplace_back(size_t length) {
    if (count == slots.size()) {
        // Full: straighten the ring so the new slot goes after the newest.
        std::rotate(slots.begin(), slots.begin() + static_cast<std::ptrdiff_t>(head), slots.end());
        head = 0;
        slots.emplace_back();
    }
    std::vector<uint8_t>& slot = slots[(head + count) % slots.size()];
    ++count;
    slot.assign(length, 0);
    return slot;
}

void TReportQueue::pop_front() {
    if (count == 0)
        return;
    head = (head + 1) % slots.size();
    --count;
}

}  // namespace KL_VRXEmu::Detail
