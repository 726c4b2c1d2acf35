// Hosts call the operations by their place in the virtual table, so the
// order is checked against the interface's published table, slot by slot.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "KL_VRX/KL_VRX.h"
#include "controller/controller_fixture.h"

namespace {

using KL_VRXSDK::KLSYS_IVRX;
using KL_VRXTest::TControllerTest;

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
    EXPECT_EQ(raw.adj, 0);
    if (raw.ptr % sizeof(void*) != 1)
        return -1;  // not a virtual member
    return static_cast<std::ptrdiff_t>((raw.ptr - 1) / sizeof(void*));
}

struct TSlot {
    const char* name;
    std::ptrdiff_t actual;
    std::ptrdiff_t expected;
};

#define SLOT(op, n)                     \
    TSlot {                             \
#op, SlotOf(&KLSYS_IVRX::op), n \
    }

TEST(VirtualTable, EveryOperationSitsInItsPublishedSlot) {
    // Slots 14 and 15: the destructor's complete-object and deleting entries.
    const TSlot slots[] = {
        SLOT(GetPositionCount, 0),
        SLOT(GetPosition21, 1),
        SLOT(SetPosition21, 2),
        SLOT(GetPosition20, 3),
        SLOT(SetPosition20, 4),
        SLOT(GetPosition22, 5),
        SLOT(SetPosition22, 6),
        SLOT(GetPosition23, 7),
        SLOT(SetPosition23, 8),
        SLOT(SetState224, 9),
        SLOT(SetState18, 10),
        SLOT(GetPosition24, 11),
        SLOT(SetPosition24, 12),
        SLOT(GetLastErrorText, 13),
        SLOT(GetModelFamily, 16),
        SLOT(GetPosition19Family2, 17),
        SLOT(GetHostValue, 18),
        SLOT(SetHostValue, 19),
        SLOT(GetFixedValue, 20),
        SLOT(SetPosition20Callback, 21),
        SLOT(SetPosition21Callback, 22),
        SLOT(GetDeviceInfo, 23),
        SLOT(GetDeviceNumber, 24),
        SLOT(GetLogging, 25),
        SLOT(SetLogging, 26),
        SLOT(GetLogDumpFlag, 27),
        SLOT(SetLogDumpFlag, 28),
        SLOT(GetDeviceCount, 29),
        SLOT(Open, 30),
        SLOT(Close, 31),
        SLOT(GetPosition19, 32),
        SLOT(SetPosition19, 33),
    };
    EXPECT_EQ(std::size(slots), 32u);  // 33 entries less the destructor
    for (const TSlot& slot : slots)
        EXPECT_EQ(slot.actual, slot.expected) << slot.name;
}

TEST(VirtualTable, TheCallbackHasOneEntry) {
    EXPECT_EQ(SlotOf(&KL_VRXSDK::KL_IVRXCallback::OnChanged), 0);
    EXPECT_EQ(sizeof(KL_VRXSDK::KL_IVRXCallback), sizeof(void*));
}

// A host that knows only slot numbers: entries 16 and 29 are reached past
// the destructor's two entries, on a controller of this library.
TEST_F(TControllerTest, SlotsAreCallableByNumber) {
    TVRXHardwareController controller;
    controller.SetModelFamily(2);
    void** table = *reinterpret_cast<void***>(&controller);

    using TGetU32 = uint32_t (*)(void*, uint32_t*);
    using TGetI32 = uint32_t (*)(void*, int32_t*);
    uint32_t family = 0;
    EXPECT_EQ(reinterpret_cast<TGetU32>(table[16])(&controller, &family), 0u);
    EXPECT_EQ(family, 2u);
    int32_t count = 0;
    EXPECT_EQ(reinterpret_cast<TGetI32>(table[29])(&controller, &count), 0u);
    EXPECT_EQ(count, 1);  // the simulated unit alone
    uint32_t positions = 0;
    EXPECT_EQ(reinterpret_cast<TGetU32>(table[0])(&controller, &positions), 2u);  // nothing open
}

}  // namespace
