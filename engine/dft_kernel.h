// The butterfly passes behind exec_dft / exec_ivdft (engine/dft.cpp).
//
// Every butterfly, in every kernel, computes exactly these doubles, with
// w(k) = cos_tbl[k] - i*sin_tbl[k], u the upper and l the lower index of
// the pair and k = j*G its table entry:
//     t_re = lr*c1 + li*s1                t_im = li*c1 - lr*s1
//     l_re = ur + (lr*c2 + li*s2)          l_im = ui + (li*c2 - lr*s2)
//     u_re = ur + t_re                     u_im = ui + t_im
// where (c1, s1) is table entry k and (c2, s2) entry k + N/2. Stages run in
// the order B = 1, 2, 4, ... N/2 and each value meets the same operations
// in the same order whichever kernel runs, so the kernels give bit-identical
// results; they differ only in how many butterflies run side by side and
// how many stages one sweep over the arrays carries. This file is compiled
// without floating-point contraction: a fused multiply-add would round
// differently.
#pragma once

#include <cstdint>

#include "engine/dft.h"

// The work arrays (real and imaginary part), one pair per thread, and the
// process-wide bit-reversal table (engine/dft.cpp). The gap keeps element i of the two arrays apart
// in the cache's sets: at exactly 64 KB from each other they would compete
// for the same lines.
struct dft_work_arrays {
    alignas(64) double re[dft_max_len];
    double gap[40];
    double im[dft_max_len];
};
extern thread_local dft_work_arrays dft_work;
extern std::int32_t dft_bit_rev[dft_max_len];

// Twiddle tables of one direction: the full circle, cos(2*pi*k/N) and +sin
// (forward) or -sin (inverse) for k = 0 .. N-1, and per stage B, at offset
// B - 1, the entries its butterflies j = 0 .. B-1 use: k = j*G (stg_c1,
// stg_s1) and k + N/2 (stg_c2, stg_s2), laid out in order of j.
//
// stg_pack holds the same entries of the stages B >= 4 once more, in one
// stream for four butterflies at a time: from stg_pack_at(B, j) (j a
// multiple of 4) the c1, s1, c2 and s2 of j .. j + 3, four of each.
struct dft_twiddles {
    double cos_tbl[dft_max_len];
    double sin_tbl[dft_max_len];
    double stg_c1[dft_max_len];
    double stg_s1[dft_max_len];
    double stg_c2[dft_max_len];
    double stg_s2[dft_max_len];
    alignas(64) double stg_pack[4 * dft_max_len];
    int len = 0;  // N the tables were built for; 0 = never
};

// Stage B (>= 4) takes 4B doubles of stg_pack, after those of 4 .. B/2.
constexpr int stg_pack_at(int b, int j) { return 4 * (b - 4) + 4 * j; }

// One transform: N a power of two from 1 to dft_max_len, tables and the
// bit-reversal table built for N. The outputs may alias the inputs.
struct dft_job {
    int n;
    const double* in_re;
    const double* in_im;  // null: every imaginary input is +0.0
    double* out_re;
    double* out_im;
    bool inverse;  // scale the outputs by 1/N (exact: N is a power of two)
    const dft_twiddles& tbl;
    dft_work_arrays* work;  // the calling thread's work arrays
};

// Plain loops, one butterfly at a time; any N.
void dft_run_portable(const dft_job& job);

// Four butterflies side by side in AVX2 registers; the first four stages run
// in registers straight from the inputs, the later ones two per sweep, and
// the last sweep writes the outputs. N >= dft_avx2_min_len, AVX2 present.
inline constexpr int dft_avx2_min_len = 16;
void dft_run_avx2(const dft_job& job);
bool dft_avx2_available();

// Tests: true forces the portable loops from now on; false lets the next
// transform choose again (AVX2 where the processor has it).
void dft_select_kernel(bool portable);
