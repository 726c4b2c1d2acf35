// Room for one report, kept by the object that moves reports so that no
// transfer allocates.
//
// Up to InlineBytes (a full-speed interrupt report of 64 bytes and its report
// ID) the bytes live inside the object; a longer report takes heap storage,
// which only ever grows. Sized when a unit opens, a buffer serves every
// transfer after that without an allocation; a unit with reports of 64 bytes
// or fewer never allocates at all.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace KL_VRXHid {

class TReportBuffer {
  public:
    static constexpr size_t InlineBytes = 65;

    // Makes room for size bytes; allocates only past InlineBytes and past
    // the largest size so far. The bytes' values are then unspecified.
    void Reserve(size_t size);

    // The first size bytes, all zero, with room made first when needed;
    // null for 0 bytes (as an empty vector's data()), so the system sees no
    // buffer for a device without reports of that kind.
    uint8_t* Zeroed(size_t size);

    uint8_t* Data() { return heap ? heap.get() : inlineBytes.data(); }
    const uint8_t* Data() const { return heap ? heap.get() : inlineBytes.data(); }

  private:
    std::array<uint8_t, InlineBytes> inlineBytes{};
    std::unique_ptr<uint8_t[]> heap;
    size_t heapSize = 0;
};

}  // namespace KL_VRXHid
