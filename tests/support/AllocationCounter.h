// Counts heap allocations, to prove that a steady-state audio path allocates
// nothing. A test program that uses it replaces the global allocation
// functions with counting ones (paired on malloc/free).
#pragma once

namespace tessiro::test {

// Counts every operator new from now on, of every thread, or only of the
// threads for which countThisThread answers true.
void StartCountingAllocations(bool (*countThisThread)() = nullptr);
// Stops counting; returns the allocations counted since the start.
long StopCountingAllocations();
// The count so far, while counting goes on.
long CountedAllocations();

}  // namespace tessiro::test
