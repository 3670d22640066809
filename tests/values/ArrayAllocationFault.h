// Fault injection for the temporary memory: the test executable replaces the
// global array new, which TempAlloc takes every block from, so that a test
// can make one block allocation fail and see what a setter leaves behind.
#pragma once

// The array new after `succeedFirst` more successful ones throws
// std::bad_alloc, once.
void FailArrayAllocation(int succeedFirst);
// Cancels a failure that has not happened yet.
void ClearArrayAllocationFailure();
