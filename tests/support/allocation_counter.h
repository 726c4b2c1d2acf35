// Heap allocation counting for tests that check a path allocates nothing,
// and allocation failure on demand for tests of what running out of memory
// does.
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

// Makes the calling thread's n-th allocation through operator new from now
// on throw std::bad_alloc (n from 1), once; 0 disarms. Other threads'
// allocations are not touched.
void FailNthAllocation(uint64_t n);
// Whether the failure armed last on this thread has happened (disarming
// keeps the answer).
bool AllocationFailed();

}  // namespace KL_VRXTest
