// The benchmark's allocator: the C allocator and operator new/delete of the
// whole process, libraries included, go through counters before they reach
// the C library's own allocator.
#ifndef BENCH_COUNTINGALLOCATOR_H
#define BENCH_COUNTINGALLOCATOR_H

#include <stdint.h>

namespace benchalloc {

// Allocations (malloc, calloc, a growing realloc, the aligned forms, new)
// made by the calling thread since it started.
uint64_t threadAllocations();
// Bytes the whole process holds on the heap (usable sizes of live blocks).
int64_t liveBytes();
// The most held since the last resetPeak().
int64_t peakBytes();
void resetPeak();

}  // namespace benchalloc

#endif
