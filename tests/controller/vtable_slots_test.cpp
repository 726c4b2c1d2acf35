// Hosts call the operations by their place in the virtual table, so the
// order is checked against the interface's published table, slot by slot.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "KL_VRX/KL_VRX.h"

namespace {

using K = KL_VRXSDK::KLSYS_IVRX;

// On the Itanium ABI (GCC, and MinGW with it) a pointer to a virtual member
// holds 1 + the entry's byte offset in the virtual table, and an adjustment.
template <typename TMember>
std::ptrdiff_t SlotOf(TMember member) {
    struct {
        std::uintptr_t ptr;
        std::ptrdiff_t adj;
    } raw;
    static_assert(sizeof(TMember) == sizeof raw, "not the Itanium member-pointer layout");
    std::memcpy(&raw, &member, sizeof raw);
    if (raw.adj != 0 || raw.ptr % sizeof(void*) != 1)
        return -1;  // not a virtual member of the object's own table
    return static_cast<std::ptrdiff_t>((raw.ptr - 1) / sizeof(void*));
}

TEST(VirtualTable, EveryOperationSitsInItsPublishedSlot) {
    // clang-format off
    const std::ptrdiff_t slots[] = {
        SlotOf(&K::GetPositionCount), SlotOf(&K::GetPosition21), SlotOf(&K::SetPosition21),
        SlotOf(&K::GetPosition20), SlotOf(&K::SetPosition20), SlotOf(&K::GetPosition22),
        SlotOf(&K::SetPosition22), SlotOf(&K::GetPosition23), SlotOf(&K::SetPosition23),
        SlotOf(&K::SetState224), SlotOf(&K::SetState18), SlotOf(&K::GetPosition24),
        SlotOf(&K::SetPosition24), SlotOf(&K::GetLastErrorText),
        // 14 and 15: the destructor's complete-object and deleting entries.
        SlotOf(&K::GetModelFamily), SlotOf(&K::GetPosition19Family2), SlotOf(&K::GetHostValue),
        SlotOf(&K::SetHostValue), SlotOf(&K::GetFixedValue), SlotOf(&K::SetPosition20Callback),
        SlotOf(&K::SetPosition21Callback), SlotOf(&K::GetDeviceInfo), SlotOf(&K::GetDeviceNumber),
        SlotOf(&K::GetLogging), SlotOf(&K::SetLogging), SlotOf(&K::GetLogDumpFlag),
        SlotOf(&K::SetLogDumpFlag), SlotOf(&K::GetDeviceCount), SlotOf(&K::Open),
        SlotOf(&K::Close), SlotOf(&K::GetPosition19), SlotOf(&K::SetPosition19),
    };
    // clang-format on
    ASSERT_EQ(std::size(slots), 32u);  // 33 entries less the destructor
    for (std::size_t i = 0; i < std::size(slots); ++i)
        EXPECT_EQ(slots[i], static_cast<std::ptrdiff_t>(i < 14 ? i : i + 2)) << "operation " << i;
    // The host's callback: OnChanged alone, no destructor entry.
    EXPECT_EQ(SlotOf(&KL_VRXSDK::KL_IVRXCallback::OnChanged), 0);
    EXPECT_EQ(sizeof(KL_VRXSDK::KL_IVRXCallback), sizeof(void*));
}

}  // namespace
