// The OS layer a benchmark puts between the library and the active one (the
// emulator, say): every call goes through unchanged, counted, and the heap
// allocations made inside it are told apart from the library's own.
#pragma once

#include <cstdint>

#include "forwarding_os.h"

namespace KL_VRXBench {

class TCountingOs final : public TForwardingOs {
  public:
    // Makes itself the active OS in front of the one active now; the
    // destructor puts that one back.
    TCountingOs();
    ~TCountingOs() override;
    TCountingOs(const TCountingOs&) = delete;
    TCountingOs& operator=(const TCountingOs&) = delete;

    // Calls that went through (all, and report writes and reads), and
    // operator new calls made during them.
    uint64_t Calls() const { return calls; }
    uint64_t ReportCalls() const { return reportCalls; }
    uint64_t Allocations() const { return allocations; }

  private:
    void Enter(bool report) override;
    void Leave() override;

    KL_VRXOS::KL_IOperatingSystem& behind;
    uint64_t calls = 0;
    uint64_t reportCalls = 0;
    uint64_t allocations = 0;
    uint64_t allocationsAtEntry = 0;
};

}  // namespace KL_VRXBench
