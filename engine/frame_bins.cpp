#include "engine/vector_clones.h"
#include "engine/frame_bins.h"

#include <algorithm>
#include <cmath>

#include "document/le_bytes.h"

// The loops run side by side in vector registers (AVX2 where the processor
// has it); each element still gets the same single operations.
TW_VECTOR_CLONES double frame_volume(int n, const double* __restrict frm) {
    // Sixteen partial sums, so that the additions do not wait for each
    // other; exact, see the header.
    double part[16] = {};
    int j = 0;
    for (; j + 16 <= n; j += 16) {
        for (int q = 0; q < 16; ++q) part[q] += std::fabs(frm[j + q]);
    }
    for (; j < n; ++j) part[0] += std::fabs(frm[j]);
    double sum = 0.0;
    for (int q = 0; q < 16; ++q) sum += part[q];
    return sum;
}

TW_VECTOR_CLONES void frame_abs_changes(int n, const double* __restrict re, const double* __restrict im,
                                        const double* __restrict p_abs, double* __restrict abs,
                                        double* __restrict abs_copy, double* __restrict c_abs) {
    for (int j = 0; j < n; ++j) {
        const double a = std::sqrt(re[j] * re[j] + im[j] * im[j]);
        abs[j] = a;
        abs_copy[j] = a;
        const double inc = a - p_abs[j];
        c_abs[j] = inc > 0.0 ? inc : 0.0;
    }
}

TW_VECTOR_CLONES void frame_abs(int n, const double* __restrict re, const double* __restrict im,
                                double* __restrict abs) {
    for (int j = 0; j < n; ++j) abs[j] = std::sqrt(re[j] * re[j] + im[j] * im[j]);
}

TW_VECTOR_CLONES void frame_changes(int n, const double* __restrict abs, const double* __restrict p_abs,
                                    double* __restrict abs_copy, double* __restrict c_abs) {
    for (int j = 0; j < n; ++j) {
        const double a = abs[j];
        abs_copy[j] = a;
        const double inc = a - p_abs[j];
        c_abs[j] = inc > 0.0 ? inc : 0.0;
    }
}

namespace {

// A 16-bit sample read in place; may_alias: the buffer is bytes.
typedef std::int16_t __attribute__((may_alias)) sample16;

}  // namespace

TW_VECTOR_CLONES void frame_samples(const unsigned char* buf,
                                                                     std::int64_t frame_cnt,
                                                                     std::int64_t first, int ch, int n,
                                                                     double* out) {
    // Frames first + j0 .. first + j1 - 1 lie inside the buffer.
    const std::int64_t j0 = std::clamp<std::int64_t>(-first, 0, n);
    const std::int64_t j1 = std::clamp<std::int64_t>(frame_cnt - first, j0, n);
    for (std::int64_t j = 0; j < j0; ++j) out[j] = 0.0;
    if (j1 > j0) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        const sample16* s = reinterpret_cast<const sample16*>(buf + 4 * (first + j0)) + ch;
        double* o = out + j0;
        for (std::int64_t k = 0; k < j1 - j0; ++k) o[k] = static_cast<double>(s[2 * k]);
#else
        for (std::int64_t j = j0; j < j1; ++j) out[j] = get_frame_sample(buf, first + j, ch);
#endif
    }
    for (std::int64_t j = j1; j < n; ++j) out[j] = 0.0;
}
