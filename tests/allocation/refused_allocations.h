// The allocation functions of the test_allocation program, which tests can
// have refuse allocations: `new` then fails as the system's allocator does
// when the memory runs out (errno ENOMEM, std::bad_alloc).
#pragma once

namespace allocation_test {

// The calling thread may make `allowed` more allocations before one is
// refused; -1: no limit.
void AllowAllocations(long allowed);
// Whether an allocation of the calling thread was refused since its last
// AllowAllocations.
bool AllocationRefused();

// While on, every allocation by a thread other than the caller is refused
// (the caller's are not).
void RefuseAllocationsOfOtherThreads(bool on);

}  // namespace allocation_test
