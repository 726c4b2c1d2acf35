// What keeps kl_vrx_emulate from switching the OS layer under the C
// interface's units: counting and opening hold the switch lock shared, the
// switch holds it exclusively and refuses while any unit is open.
#pragma once

#include <cstdint>
#include <shared_mutex>

namespace KL_VRXCApi {

std::shared_mutex& SwitchLock();
// Units that kl_vrx_open made and kl_vrx_close has not yet ended.
uint32_t OpenUnits() noexcept;

}  // namespace KL_VRXCApi
