#include "controller/value_maps.h"

#include "controller/controller_status.h"

namespace KL_VRXController {

namespace {

constexpr bool IsFamily2(uint32_t family) {
    return family == 2;
}

// clang-format off
constexpr TMappingRow Position21Rows[] = {
    // API  family 1      family 2
    {0,     Both(1),      Both(1)},
    {1,     Both(2),      Both(2)},
    {2,     Both(3),      Both(3)},
    {3,     ReadOnly(4),  Both(4)},
    {4,     Unmapped,     ReadOnly(16)},
};

constexpr TMappingRow Position20Rows[] = {
    // API  family 1      family 2
    {0,     Both(2),      Both(3)},
    {1,     Both(1),      Both(1)},
    {2,     ReadOnly(3),  ReadOnly(16)},
    {3,     Unmapped,     Both(2)},
    {4,     Unmapped,     Both(0)},
};

// Registers 22, 23 and 24 share one mapping.
constexpr TMappingRow TwoPositionRows[] = {
    // API  family 1      family 2
    {0,     Both(2),      Both(2)},
    {1,     Both(1),      Both(1)},
};

constexpr TMappingRow Position19Rows[] = {
    // API  family 1      family 2
    {0,     Both(2),      Unmapped},
    {1,     Both(1),      Unmapped},
};

constexpr TMappingRow Position19Family2Rows[] = {
    // API  family 1      family 2
    {0,     Unmapped,     Both(1)},
    {1,     Unmapped,     Both(2)},
};

constexpr TMappingRow StateRows[] = {
    // API  family 1      family 2
    {0,     Both(15),     Both(15)},
    {1,     Both(127),    Both(127)},
};
// clang-format on

}  // namespace

// clang-format off
//                                      rows                    family 1            family 2
const TValueMap Map::Position21        {Position21Rows,         Mapped,             Mapped};
const TValueMap Map::Position20        {Position20Rows,         Mapped,             Mapped};
const TValueMap Map::Position22        {TwoPositionRows,        Mapped,             Mapped};
const TValueMap Map::Position23And24   {TwoPositionRows,        Mapped,             Fixed(0)};
const TValueMap Map::Position19        {Position19Rows,         Mapped,             Fixed(1)};
const TValueMap Map::Position19Family2 {Position19Family2Rows,  Fixed(NoPosition),  Mapped};
const TValueMap Map::State             {StateRows,              Mapped,             Mapped};
// clang-format on

uint32_t TValueMap::ApiFromDevice(uint32_t family, uint32_t device) const {
    const TFixedRead& rule = IsFamily2(family) ? family2 : family1;
    if (rule.fixed)
        return rule.api;
    for (const TMappingRow& row : rows) {
        const TDeviceCell& cell = IsFamily2(family) ? row.family2 : row.family1;
        if (cell.device >= 0 && static_cast<uint32_t>(cell.device) == device)
            return row.api;
    }
    return NoPosition;
}

std::optional<uint8_t> TValueMap::DeviceFromApi(uint32_t family, uint32_t api) const {
    if ((IsFamily2(family) ? family2 : family1).fixed)
        return std::nullopt;
    for (const TMappingRow& row : rows) {
        const TDeviceCell& cell = IsFamily2(family) ? row.family2 : row.family1;
        if (row.api == api && cell.device >= 0 && !cell.readOnly)
            return static_cast<uint8_t>(cell.device);
    }
    return std::nullopt;
}

}  // namespace KL_VRXController
