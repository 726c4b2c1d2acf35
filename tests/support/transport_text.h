// The transport as the suites observe it: the text of its latest status,
// and the identifiers a family-1 unit in launch mode 2 enumerates under.
#pragma once

#include <cstdint>
#include <string>

#include "hid/transport_status.h"

namespace KL_VRXTest {

inline constexpr uint16_t Vid = 0x3C5A;
inline constexpr uint16_t Pid1 = 0x0E32;

// The latest transport status and saved API error, as their text shows them.
inline std::string TransportText() {
    char text[KL_VRXHid::TransportTextSize];
    KL_VRXHid::GetTransportStatusText(text);
    return text;
}

}  // namespace KL_VRXTest
