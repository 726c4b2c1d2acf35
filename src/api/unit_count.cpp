#include "api/unit_count.h"

#include "api/process_last_error.h"
#include "controller/unit_count.h"

uint32_t CountUnitsForExports(uint32_t& n1, uint32_t& n2) {
    n1 = 0;
    n2 = 0;
    const TUnitCountResult result = CountAttachedUnits(n1, n2);
    if (result == TUnitCountResult::Counted)
        return 0;
    SetProcessLastError(UnitCountFailureText(result));
    return 5;
}
