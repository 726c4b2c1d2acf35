#include "hid/discovery.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "hid/hid_binding.h"
#include "os/os.h"

namespace KL_VRXHid {

using namespace KL_VRXOS;
using KL_VRXState::TStateLock;

namespace {

constexpr uint32_t InterfaceDataSize = 32;
constexpr uint32_t DetailFixedSize = 8;

// A failing Setup API call: its error and its step become the text of
// TransportStatus::EnumerationFailed.
TransportStatus EnumerationFailed(uint32_t error, TEnumerationStep step) {
    TTransportState& state = TransportState();
    state.lastApiError = error;
    state.lastEnumerationStep = step;
    return TransportStatus::EnumerationFailed;
}

// Reads the path of one interface into the path list. False when either detail
// call did not behave: the size query must fail (it only reports the size),
// the read itself must succeed.
bool CollectPath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data, std::vector<std::string>& paths) {
    auto& os = Os();
    uint32_t required = 0;
    if (os.SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr))
        return false;
    // A path has no fixed bound, so the record is sized by the query; whole
    // 32-bit words keep the size field aligned.
    const uint32_t bytes = required > DetailFixedSize ? required : DetailFixedSize;
    std::vector<uint32_t> storage((bytes + 3) / 4, 0);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
    detail->cbSize = DetailFixedSize;
    if (!os.SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr, nullptr))
        return false;
    const size_t room =
        storage.size() * 4 - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
    paths.emplace_back(detail->DevicePath, strnlen(detail->DevicePath, room));
    return true;
}

// The device-information set of one enumeration, destroyed however the walk
// ends: a path that cannot be stored (out of memory) must not leak it.
class TDeviceInfoSet {
  public:
    explicit TDeviceInfoSet(HDEVINFO set) : set(set) {}
    ~TDeviceInfoSet() { Os().SetupDiDestroyDeviceInfoList(set); }
    TDeviceInfoSet(const TDeviceInfoSet&) = delete;
    TDeviceInfoSet& operator=(const TDeviceInfoSet&) = delete;

  private:
    HDEVINFO set;
};

}  // namespace

std::string MatchText(uint16_t vendorId, uint16_t productId) {
    char text[32];
    std::snprintf(text, sizeof text, "vid_%04X&pid_%04X", static_cast<unsigned>(vendorId),
                  static_cast<unsigned>(productId));
    return text;
}

TransportStatus EnumerateHidPaths(const TStateLock& lock) {
    auto& os = Os();
    TTransportState& state = TransportState();
    std::vector<std::string>& paths =
        state.hidPathList ? *state.hidPathList : state.hidPathList.emplace();
    paths.clear();

    GUID guid{};
    HidApi(lock).HidD_GetHidGuid(&guid);
    HDEVINFO set =
        os.SetupDiGetClassDevsW(&guid, nullptr, nullptr, DigcfPresent | DigcfDeviceInterface);
    if (set == InvalidHandleValue)
        return EnumerationFailed(os.GetLastError(), TEnumerationStep::DeviceSet);
    const TDeviceInfoSet destroyed(set);

    TransportStatus status = TransportStatus::Success;
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = InterfaceDataSize;
    for (uint32_t member = 0; os.SetupDiEnumDeviceInterfaces(set, nullptr, &guid, member, &data);
         ++member) {
        // One unreadable interface does not hide the others: its error is
        // kept and the walk goes on.
        if (!CollectPath(set, data, paths))
            status = EnumerationFailed(os.GetLastError(), TEnumerationStep::InterfaceDetail);
    }
    // The walk ends on a failing call; ERROR_NO_MORE_ITEMS is its normal end. After an
    // interface failed, that interface's error is the one kept.
    if (status == TransportStatus::Success) {
        const uint32_t error = os.GetLastError();
        if (error != ErrorNoMoreItems)
            status = EnumerationFailed(error, TEnumerationStep::InterfaceList);
    }
    return status;
}

bool PathMatches(std::string path, std::string text) {
    // Only a to z fold: the paths are ANSI, and no locale may change a byte.
    auto upper = [](std::string& s) {
        for (char& c : s)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
    };
    upper(path);
    upper(text);
    return path.find(text) != std::string::npos;
}

uint32_t CountMatchingPaths(const TStateLock&, const std::string& text) {
    const TTransportState& state = TransportState();
    uint32_t count = 0;
    if (state.hidPathList)
        for (const std::string& path : *state.hidPathList)
            if (PathMatches(path, text))
                ++count;
    return count;
}

TransportStatus GetMatchingPath(const TStateLock&, std::string& output, const std::string& text,
                                uint32_t index) {
    const TTransportState& state = TransportState();
    if (!state.hidPathList)
        return TransportStatus::CouldNotFindDevice;
    uint32_t k = 0;
    for (const std::string& path : *state.hidPathList) {
        if (!PathMatches(path, text))
            continue;
        if (k == index) {
            output = path;
            return TransportStatus::Success;
        }
        ++k;
    }
    return TransportStatus::CouldNotFindDevice;
}

TransportStatus CountUnits(uint16_t vendorId, uint16_t productId, uint32_t& count) {
    auto& status = TransportState().lastTransportStatus;
    const std::string text = MatchText(vendorId, productId);
    const TStateLock lock;
    TransportStatus result = status = LoadHidApi(lock);
    if (result != TransportStatus::Success)
        return result;
    result = status = EnumerateHidPaths(lock);
    // Counted even after a failed enumeration: the paths that could be read
    // are real units.
    count = CountMatchingPaths(lock, text);
    return result;
}

}  // namespace KL_VRXHid
