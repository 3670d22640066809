#include "ArrayAllocationFault.h"

#include <cstdlib>
#include <new>

namespace {

// -1 while no failure is asked for; otherwise the successes still to come.
int successesBeforeFailure = -1;

} // namespace

void FailArrayAllocation(int succeedFirst) {
    successesBeforeFailure = succeedFirst;
}

void ClearArrayAllocationFailure() {
    successesBeforeFailure = -1;
}

void* operator new[](std::size_t size) {
    if (successesBeforeFailure == 0) {
        successesBeforeFailure = -1;
        throw std::bad_alloc();
    }
    if (successesBeforeFailure > 0)
        --successesBeforeFailure;
    if (void* memory = std::malloc(size != 0 ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete[](void* memory) noexcept {
    std::free(memory);
}

void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
