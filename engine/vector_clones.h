// Marks a per-bin loop to be built twice, for AVX2 and for any x86-64, with
// the choice made once at load time. Both versions perform the same
// operations in the same order, so results never depend on the processor.
//
// GCC only: clang 14 names the clones so that calls from other files do not
// link, and there the plain version is built alone. Not under
// ThreadSanitizer either: the load-time choice runs before its runtime is
// set up and crashes the program.
#pragma once

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
#define TW_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TW_VECTOR_CLONES
#endif
