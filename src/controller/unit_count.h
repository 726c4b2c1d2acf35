// Counting the attached units of both model families under both product IDs.
#pragma once

#include <cstdint>

// Outcome of CountAttachedUnits: which of its two passes failed, if any.
enum class TUnitCountResult : uint32_t {
    Counted = 0,
    FirstPassFailed = 1,   // both lookups under the first product IDs failed
    SecondPassFailed = 2,  // both lookups under the second product IDs failed
};

// Counts family-1 units into n1 and family-2 units into n2 (the caller sets
// both to 0 first), each under both product IDs of its family. One failed
// lookup per pass is tolerated; both failing ends the count. After a failed
// second pass n1 and n2 hold the first pass's counts.
TUnitCountResult CountAttachedUnits(uint32_t& n1, uint32_t& n2);

// The host's text for a failed count ("" for Counted).
const char* UnitCountFailureText(TUnitCountResult result);
