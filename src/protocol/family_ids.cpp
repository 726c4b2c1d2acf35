#include "protocol/family_ids.h"

#include "hid/hid_api.h"

TFamilyIds FamilyIds = FamilyIdsOf(1);

void ResetProtocolState() {
    FamilyIds = FamilyIdsOf(1);
    ResetTransportState();
}
