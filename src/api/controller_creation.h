// Creating a controller for a host index: what CreateVRX does, shared by
// the exports and the C interface.
#pragma once

#include <cstdint>

class TVRXHardwareController;

namespace KL_VRXApi {

// Resolves hostIndex, sets up its family and opens the unit with a full
// start. The new controller, or null with the open's status in status (5
// when an exception cut the creation short) and the text in ProcessLastError.
// Never throws.
TVRXHardwareController* CreateHostController(int32_t hostIndex, uint32_t& status) noexcept;

}  // namespace KL_VRXApi
