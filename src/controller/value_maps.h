// How the host's position numbers (API values) translate to the one-byte
// device values of each register, per model family.
//
// A map is a table of rows {API value, family-1 cell, family-2 cell}; a cell
// holds the device value, marked read only when the unit can report it but a
// set may not ask for it, or no device value at all. A family may instead
// have one fixed read result for every device value, and then refuses sets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace KL_VRXController {

struct TDeviceCell {
    int16_t device;  // -1: this family has no device value for the API value
    bool readOnly;
};

inline constexpr TDeviceCell Both(uint8_t device) {
    return {device, false};
}
inline constexpr TDeviceCell ReadOnly(uint8_t device) {
    return {device, true};
}
inline constexpr TDeviceCell Unmapped{-1, false};

struct TMappingRow {
    uint32_t api;
    TDeviceCell family1;
    TDeviceCell family2;
};

// A family's column replaced by a fixed read result (sets refused).
struct TFixedRead {
    bool fixed;
    uint32_t api;
};
inline constexpr TFixedRead Mapped{false, 0};
inline constexpr TFixedRead Fixed(uint32_t api) {
    return {true, api};
}

struct TValueMap {
    std::span<const TMappingRow> rows;
    TFixedRead family1;
    TFixedRead family2;

    // The API value for a device value reported by a unit of family (any
    // family but 2 reads family 1's column); NoPosition when unmapped.
    uint32_t ApiFromDevice(uint32_t family, uint32_t device) const;
    // The device value a set sends for api, or nothing when the family has
    // no settable device value for it.
    std::optional<uint8_t> DeviceFromApi(uint32_t family, uint32_t api) const;
};

// The register maps; read them next to value_maps.cpp's tables.
namespace Map {

extern const TValueMap Position21;
extern const TValueMap Position20;
extern const TValueMap Position22;         // 22: the same in both families
extern const TValueMap Position23And24;    // family 2: reads 0, no sets
extern const TValueMap Position19;         // GetPosition19, SetPosition19
extern const TValueMap Position19Family2;  // GetPosition19Family2
extern const TValueMap State;              // SetState224, SetState18

}  // namespace Map

}  // namespace KL_VRXController
