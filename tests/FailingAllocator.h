// A counting global operator new for the one test binary that links FailingAllocator.cpp
// (see that test's .cmake file): it can be armed to fail the Nth allocation from now, the way
// exhausted memory would, so that each allocation of an operation can be made to fail in turn.
#ifndef QUENDEL_TESTS_FAILINGALLOCATOR_H
#define QUENDEL_TESTS_FAILINGALLOCATOR_H

#include <cstddef>
#include <new>

namespace failing_allocator {

// Allocations through operator new since the program started.
size_t Allocations();
// Blocks from operator new not yet given back.
long Live();
// The allocation `index` counted from now (0 is the next) throws std::bad_alloc, or gives null
// for the nothrow forms; the allocations after it succeed again.
void FailAt(size_t index);
void Disarm();
// Whether the armed failure has happened since FailAt.
bool Fired();

// Runs action once and returns how many allocations it made.
template <class Action>
size_t CountAllocations(Action&& action) {
    const size_t before = Allocations();
    action();
    return Allocations() - before;
}

// How one run of an action went with one of its allocations failing.
struct FailedRun {
    size_t index;  // the allocation that failed
    bool threwBadAlloc;
    long leaked;  // blocks still live after the run that were not before it
};

// Runs action with its allocation `index` failing; action must release what it allocates
// (results included) before it returns or throws.
template <class Action>
FailedRun RunFailingAt(size_t index, Action&& action) {
    FailedRun run{index, false, 0};
    const long live = Live();
    FailAt(index);
    try {
        action();
    } catch (const std::bad_alloc&) {
        run.threwBadAlloc = true;
    }
    Disarm();
    run.leaked = Live() - live;
    return run;
}

}  // namespace failing_allocator

#endif
