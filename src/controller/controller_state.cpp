#include "controller/controller_state.h"

#include "protocol/family_ids.h"

void ResetControllerState() {
    ResetProtocolState();
}
