// Heap allocation counting for tests that check a path allocates nothing.
//
// Linking this helper replaces the global operator new and delete of the test
// executable with versions that forward to malloc and free and count every
// allocation made through operator new (array and nothrow forms included,
// all threads). The counter is only linked in when a test uses it.
#pragma once

#include <cstdint>

namespace KL_VRXTest {

// Allocations through operator new since the process started.
uint64_t AllocationCount();

}  // namespace KL_VRXTest
