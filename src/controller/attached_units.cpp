#include "controller/attached_units.h"

#include "protocol/command_channel.h"
#include "protocol/family_ids.h"

namespace KL_VRXController {

using KL_VRXProtocol::FamilyIdsOf;
using KL_VRXProtocol::TFamilyIds;

namespace {

// One lookup: count under one product ID; true when it did not fail. A
// lookup whose binding failed counts 0.
bool LookUp(uint16_t productId, uint32_t& count) {
    return KL_VRXProtocol::TVRXCommandChannel::LookupUnits(KL_VRXProtocol::VRXVendorId, productId,
                                                           count) ==
           KL_VRXHid::TransportStatus::Success;
}

}  // namespace

TAttachedUnits CountAttachedUnits() {
    const TFamilyIds family1 = FamilyIdsOf(1);
    const TFamilyIds family2 = FamilyIdsOf(2);
    TAttachedUnits units;

    // Units in launch mode 2 show the first product ID.
    const bool first1 = LookUp(family1.productIdFirst, units.family1);
    const bool first2 = LookUp(family2.productIdFirst, units.family2);
    if (!first1 && !first2) {
        units.failedPass = 1;
        return units;
    }

    // Units still in the other launch mode show the second one; they are
    // counted in their family but switched only when a controller opens.
    uint32_t second1 = 0;
    uint32_t second2 = 0;
    const bool ok1 = LookUp(family1.productIdSecond, second1);
    const bool ok2 = LookUp(family2.productIdSecond, second2);
    if (!ok1 && !ok2) {
        units.failedPass = 2;
        return units;
    }

    units.family1 += second1;
    units.family2 += second2;
    return units;
}

}  // namespace KL_VRXController
