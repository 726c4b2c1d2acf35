// Texts the exports leave in ProcessLastError that more than one build of
// the exports uses (the Microsoft-ABI layer of KL_VRX.dll has its own
// DeleteVRX and creation path).
#pragma once

namespace KL_VRXApi {

inline constexpr char DeleteRefusedText[] = "Couldn't delete VRX object: Invalid pointer!";
inline constexpr char CreateOutOfMemoryText[] = "Out of memory while creating the VRX controller.";

}  // namespace KL_VRXApi
