// The Setup API core shared by the Linux and the emulated OS: record checks
// and error codes as Windows gives them.
#include "os/interface_sets.h"

#include <gtest/gtest.h>

#include "os/os.h"

namespace {

using namespace KL_VRXOS;

TEST(InterfaceSets, CheckRecordsAndFailWithWindowsCodes) {
    TInterfaceSets sets;
    const std::string path = "\\\\?\\hid#vid_3c5a&pid_0e32#x";
    const GUID* hid = &HidInterfaceClassGuid;
    HDEVINFO set = sets.Create(hid, {path});
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = 28;
    EXPECT_FALSE(sets.Enumerate(set, hid, 0, &data));
    EXPECT_EQ(ThreadLastError(), ErrorInvalidUserBuffer);
    data.cbSize = 32;
    EXPECT_FALSE(sets.Enumerate(set, nullptr, 0, &data));
    EXPECT_EQ(ThreadLastError(), ErrorInvalidParameter);
    ASSERT_TRUE(sets.Enumerate(set, hid, 0, &data));
    EXPECT_FALSE(sets.Enumerate(set, hid, 1, &data));
    EXPECT_EQ(ThreadLastError(), ErrorNoMoreItems);

    const uint32_t required = static_cast<uint32_t>(8 + path.size() + 1);
    std::vector<uint64_t> storage(required / 8 + 1);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
    // (The size query and an injected error: the emulated bus's walks.)
    struct {
        SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail;
        uint32_t cbSize, size, error;
    } const rows[] = {
        {nullptr, 8, 10, ErrorInvalidUserBuffer},
        {detail, 5, required, ErrorInvalidUserBuffer},
        {detail, 8, required - 1, ErrorInsufficientBuffer},
        {detail, 8, required, 0},
    };
    for (const auto& row : rows) {
        detail->cbSize = row.cbSize;
        uint32_t reported = 0;
        const BOOL ok = sets.Detail(set, &data, row.detail, row.size, &reported, nullptr);
        EXPECT_EQ(ok ? 0u : ThreadLastError(), row.error) << row.size;
        EXPECT_EQ(reported, required);
    }
    EXPECT_EQ(std::string(detail->DevicePath), path);

    EXPECT_TRUE(sets.Destroy(set));
    EXPECT_FALSE(sets.Enumerate(set, hid, 0, &data));
    EXPECT_EQ(ThreadLastError(), ErrorInvalidHandle);
    EXPECT_EQ(sets.Create(nullptr, {path}), InvalidHandleValue);
    EXPECT_EQ(ThreadLastError(), ErrorInvalidParameter);
}

}  // namespace
