#include "engine/frame_bins.h"

#include <cmath>

// Both loops run side by side in vector registers (AVX2 where the processor
// has it); each element still gets the same single operations.
__attribute__((target_clones("avx2", "default"))) double frame_magnitudes(int n, const double* __restrict re,
                                                                          const double* __restrict im,
                                                                          const double* __restrict frm,
                                                                          double* __restrict abs) {
    for (int j = 0; j < n; ++j) abs[j] = std::sqrt(re[j] * re[j] + im[j] * im[j]);
    // Four partial sums; exact, see the header.
    double part[4] = {0.0, 0.0, 0.0, 0.0};
    int j = 0;
    for (; j + 4 <= n; j += 4) {
        for (int q = 0; q < 4; ++q) part[q] += std::fabs(frm[j + q]);
    }
    for (; j < n; ++j) part[0] += std::fabs(frm[j]);
    return (part[0] + part[1]) + (part[2] + part[3]);
}

__attribute__((target_clones("avx2", "default"))) void frame_changes(
    int n, const double* __restrict re, const double* __restrict im, const double* __restrict abs,
    const double* __restrict p_re, const double* __restrict p_im, const double* __restrict p_abs,
    double* __restrict c_re, double* __restrict c_im, double* __restrict c_abs) {
    for (int j = 0; j < n; ++j) {
        c_re[j] = re[j] - p_re[j];
        c_im[j] = im[j] - p_im[j];
        const double inc = abs[j] - p_abs[j];
        c_abs[j] = inc > 0.0 ? inc : 0.0;
    }
}
