#include "engine/frame_bins.h"

#include <cmath>

// Both loops run side by side in vector registers (AVX2 where the processor
// has it); each element still gets the same single operations.
__attribute__((target_clones("avx2", "default"))) double frame_magnitudes(int n, const double* re,
                                                                          const double* im, const double* frm,
                                                                          double* abs) {
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

__attribute__((target_clones("avx2", "default"))) void frame_changes(int n, const double* re,
                                                                     const double* im, const double* abs,
                                                                     const double* p_re, const double* p_im,
                                                                     const double* p_abs, double* c_re,
                                                                     double* c_im, double* c_abs) {
    for (int j = 0; j < n; ++j) {
        c_re[j] = re[j] - p_re[j];
        c_im[j] = im[j] - p_im[j];
        const double inc = abs[j] - p_abs[j];
        c_abs[j] = inc > 0.0 ? inc : 0.0;
    }
}
