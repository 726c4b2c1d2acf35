#include "controller/unit_count.h"

#include "protocol/command_channel.h"
#include "protocol/family_ids.h"

namespace {

// One lookup: count under one product ID; true when it did not fail. A
// lookup whose binding failed counts 0.
bool LookUp(uint16_t productId, uint32_t& count) {
    return TVRXCommandChannel::LookupUnits(VRXVendorId, productId, count) ==
           TransportStatus::Success;
}

}  // namespace

TUnitCountResult CountAttachedUnits(uint32_t& n1, uint32_t& n2) {
    const TFamilyIds family1 = FamilyIdsOf(1);
    const TFamilyIds family2 = FamilyIdsOf(2);

    // Units in launch mode 2 show the first product ID.
    const bool first1 = LookUp(family1.productIdFirst, n1);
    const bool first2 = LookUp(family2.productIdFirst, n2);
    if (!first1 && !first2)
        return TUnitCountResult::FirstPassFailed;

    // Units still in the other launch mode show the second one; they are
    // counted in their family but switched only when a controller opens.
    uint32_t second1 = 0;
    uint32_t second2 = 0;
    const bool ok1 = LookUp(family1.productIdSecond, second1);
    const bool ok2 = LookUp(family2.productIdSecond, second2);
    if (!ok1 && !ok2)
        return TUnitCountResult::SecondPassFailed;

    n1 += second1;
    n2 += second2;
    return TUnitCountResult::Counted;
}

const char* UnitCountFailureText(TUnitCountResult result) {
    switch (result) {
        case TUnitCountResult::FirstPassFailed:
            return "Communication with device failed - 0x01!";
        case TUnitCountResult::SecondPassFailed:
            return "Communication with device failed - 0x02!";
        case TUnitCountResult::Counted:
            break;
    }
    return "";
}
