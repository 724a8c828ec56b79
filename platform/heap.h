// Process-wide heap stand-in.
//
// All large memory of a recording (sample buffers, part areas, the solver's
// matrix) comes from one heap whose handle is taken at start-up. Allocation
// and release report failure by their results (null pointer, false) so that
// every caller can log its own "HeapAlloc NG !!" / "HeapFree NG_All !!" line.
// Sizes are signed 64-bit; a non-positive size never allocates.
//
// The test control below makes chosen operations fail so that those failure
// paths can be exercised without exhausting the machine's memory.
#pragma once

#include <cstdint>

struct tw_heap;
using HEAP_HANDLE = tw_heap*;

// The process-wide heap (never destroyed). Null only when a test asks for it.
HEAP_HANDLE get_process_heap();

// A private heap; destroying it releases whatever it still holds.
HEAP_HANDLE heap_create();

// Returns null on failure. The block is not cleared.
void* heap_alloc(HEAP_HANDLE heap, std::int64_t size);

// The same, with the block reading as zeros. Large blocks come as fresh
// pages of the system, which are zero already: nothing is written, and a
// page takes memory only once something is written to it.
void* heap_alloc_zeroed(HEAP_HANDLE heap, std::int64_t size);

// Returns false on failure (null heap, null block, block not from this heap,
// or a failure injected by a test); the block then stays allocated.
bool heap_free(HEAP_HANDLE heap, void* block);

// Returns false for null, for the process heap, or when a test injects it.
bool heap_destroy(HEAP_HANDLE heap);

namespace heap_test {

// Counters since the last reset().
std::int64_t alloc_calls();
std::int64_t live_blocks();

// The k-th allocation after this call (1-based) fails; 0 disables.
void fail_nth_alloc(std::int64_t k);
// Every allocation from index k on (1-based) fails; 0 disables.
void fail_from_alloc(std::int64_t k);
// Every allocation larger than size bytes fails; negative disables.
void fail_above_size(std::int64_t size);
// The k-th free / destroy after this call fails; 0 disables.
void fail_nth_free(std::int64_t k);
void fail_nth_destroy(std::int64_t k);
// get_process_heap() returns null while set.
void set_null_process_heap(bool on);
// Clears every failure rule and counter.
void reset();

}  // namespace heap_test
