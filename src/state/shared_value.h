// One value of the library state that every thread reads and overwrites
// without a lock: a status that means "the latest of any thread", such as
// LastTransportStatus, or FamilyIds.
//
// Each read sees one whole value that some thread wrote, never a torn one,
// and the thread sanitizer sees no race. Nothing else is ordered by it
// (relaxed): a reader must not infer from a value that anything else the
// writer did is visible. The cell copies and assigns by value, so a part of
// the state made of such cells and plain data still resets with `= {}`.
//
// Reading takes an explicit Load(): another thread may have written since
// this one stored, so a step that needs its own result keeps the value it
// stored (assignment returns it: `if (T mine = cell = Step(); ...)`) instead
// of reading the cell back.
#pragma once

#include <atomic>

namespace KL_VRXState {

template <typename T>
class TSharedValue {
  public:
    constexpr TSharedValue() : value() {}
    constexpr TSharedValue(T initial) : value(initial) {}
    TSharedValue(const TSharedValue& other) : value(other.Load()) {}
    TSharedValue& operator=(const TSharedValue& other) {
        Store(other.Load());
        return *this;
    }

    T Load() const { return value.load(std::memory_order_relaxed); }
    void Store(T next) { value.store(next, std::memory_order_relaxed); }

    // Stores next and returns it (not a fresh read of the cell).
    T operator=(T next) {
        Store(next);
        return next;
    }

  private:
    std::atomic<T> value;
};

}  // namespace KL_VRXState
