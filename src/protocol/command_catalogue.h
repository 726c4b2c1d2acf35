// Every command code the library sends to a unit, the register each write is
// awaited on, and the time-outs the callers use. The unit's firmware answers
// a register read with the register's value in reply byte 2 and confirms a
// write by echoing its code in reply byte 1.
#pragma once

#include <cstdint>

namespace KL_VRXProtocol {

namespace VRXCommand {

// Byte 0 of every command message: the unit uses no numbered reports.
inline constexpr uint8_t ReportId = 0x00;

// Block reads: data from reply byte 2 on.
inline constexpr uint8_t ReadDeviceInfo = 0;     // 3 bytes
inline constexpr uint8_t ReadDeviceNumber = 25;  // 4 bytes, packed decimal, low digits first
inline constexpr uint32_t DeviceInfoBytes = 3;
inline constexpr uint32_t DeviceNumberBytes = 4;

// Launch mode: write the mode to take up, then the bare apply message.
inline constexpr uint8_t WriteLaunchMode = 2;
inline constexpr uint8_t ApplyLaunchMode = 15;  // no reply is read

// Registers (read by sending the number as the code).
inline constexpr uint8_t State18 = 18;  // 15 after start-up, 127 parked
inline constexpr uint8_t Position19 = 19;
inline constexpr uint8_t Position20 = 20;
inline constexpr uint8_t Position21 = 21;
inline constexpr uint8_t Position22 = 22;
inline constexpr uint8_t Position23 = 23;
inline constexpr uint8_t Position24 = 24;

// Writes awaited on their register (register = code - 15).
inline constexpr uint8_t SetState18 = 33;
inline constexpr uint8_t SetPosition19 = 34;
inline constexpr uint8_t SetPosition20 = 35;
inline constexpr uint8_t SetPosition21 = 36;
inline constexpr uint8_t SetPosition22 = 37;
inline constexpr uint8_t SetPosition23 = 38;
inline constexpr uint8_t SetPosition24 = 39;
constexpr uint8_t RegisterOf(uint8_t setCode) {
    return static_cast<uint8_t>(setCode - 15);
}

// Write that is not awaited.
inline constexpr uint8_t SetState224 = 224;

// Values of register 18 and of command 224.
inline constexpr uint8_t StateStarted = 15;
inline constexpr uint8_t StateParked = 127;

// Position 19 that the full start-up awaits after command 34.
inline constexpr uint8_t StartPosition19 = 1;

// Reply byte 1 of a rejected command.
inline constexpr uint8_t Rejected = 0xFF;

}  // namespace VRXCommand

namespace VRXTimeout {

inline constexpr uint32_t Io = 3000;          // every single write, read or poll
inline constexpr uint32_t LongIo = 25000;     // SetState18 and the start-up's command 33
inline constexpr uint32_t Park = 25000;       // transition of command 33 to 127 when parking
inline constexpr uint32_t State18 = 3000;     // transition of command 33 (SetState18, start-up)
inline constexpr uint32_t Position19 = 500;   // command 34
inline constexpr uint32_t Position20 = 6020;  // command 35
inline constexpr uint32_t Position = 700;     // commands 36 to 39
inline constexpr uint32_t LaunchModePause = 5000;
inline constexpr uint32_t PollPause = 5;

}  // namespace VRXTimeout

// What OpenUnit sends once the unit is open (any value above Park: nothing).
// A byte, as hosts pass it to Open.
namespace VRXStartAction {

inline constexpr uint8_t FullStart = 0;  // 33 with 15 awaited on 18, then 34 with 1 on 19
inline constexpr uint8_t Park = 1;       // 33 with 127 awaited on 18, when 18 reads 15
inline constexpr uint8_t None = 2;

}  // namespace VRXStartAction

}  // namespace KL_VRXProtocol
