#include "counting_os.h"

#include "support/allocation_counter.h"

namespace KL_VRXBench {

TCountingOs::TCountingOs() : TForwardingOs(KL_VRXOS::Os()), behind(KL_VRXOS::Os()) {
    KL_VRXOS::SetActiveOs(this);
}

TCountingOs::~TCountingOs() {
    KL_VRXOS::SetActiveOs(&behind);
}

void TCountingOs::Enter(bool report) {
    ++calls;
    if (report)
        ++reportCalls;
    allocationsAtEntry = KL_VRXTest::AllocationCount();
}

void TCountingOs::Leave() {
    allocations += KL_VRXTest::AllocationCount() - allocationsAtEntry;
}

}  // namespace KL_VRXBench
