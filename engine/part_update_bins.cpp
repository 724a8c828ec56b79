#include "engine/vector_clones.h"
#include "engine/part_update_bins.h"

#include <cmath>
#include <cstdint>

#define TW_BIN_LOOP TW_VECTOR_CLONES

TW_BIN_LOOP void upd_rate_sm2(int n, int cnt, const double* __restrict rate, const double* const* mag,
                              double* __restrict sm2) {
    for (int i = 0; i < n; ++i) sm2[i] = 0.0;
    for (int a = 0; a < cnt; ++a) {
        const double r = rate[a];
        const double* m = mag[a];
        for (int i = 0; i < n; ++i) sm2[i] += r * m[i];
    }
    for (int i = 0; i < n; ++i) sm2[i] = sm2[i] > 0.0 ? sm2[i] : 0.0;
}

TW_BIN_LOOP void upd_residual(int n, int cnt, const double* __restrict rate, const double* const* mag,
                              const double* __restrict sm2, const double* __restrict fr,
                              const double* __restrict fi, double* __restrict res_r,
                              double* __restrict res_i) {
    for (int i = 0; i < n; ++i) {
        res_r[i] = fr[i];
        res_i[i] = fi[i];
    }
    for (int a = 0; a < cnt; ++a) {
        const double r = rate[a];
        const double* m = mag[a];
        for (int i = 0; i < n; ++i) {
            // Where sm2 is 0 the quotient is not formed (the share would be
            // a NaN); the residual keeps its value.
            const double s = sm2[i];
            const bool pos = s > 0.0;
            const double share = r * m[i] / (pos ? s : 1.0);
            const double old_r = res_r[i];
            const double old_i = res_i[i];
            const double nr = old_r - fr[i] * share;
            const double ni = old_i - fi[i] * share;
            res_r[i] = pos ? nr : old_r;
            res_i[i] = pos ? ni : old_i;
        }
    }
}

namespace {

// The per-bin work of upd_part_spectrum for bins lo .. hi - 1.
inline __attribute__((always_inline)) void part_spectrum_bins(
    int lo, int hi, double r, double rate_tgt, const double* __restrict mag, const double* __restrict sm2,
    const double* __restrict res_r, const double* __restrict res_i, const double* __restrict fr,
    const double* __restrict fi, double* __restrict co_r, double* __restrict co_i, double* __restrict co_s) {
    for (int i = lo; i < hi; ++i) {
        const double d = sm2[i] > 0.0 ? sm2[i] : 1.0;
        const double q = r * mag[i] / d;
        const bool use = (sm2[i] > 0.0) & (q > 0.0);  // both tested: no branch in the loop
        const double tgt2 = use ? q : 0.0;
        const double cr = res_r[i] * rate_tgt + fr[i] * tgt2;
        const double ci = res_i[i] * rate_tgt + fi[i] * tgt2;
        co_r[i] = cr;
        co_i[i] = ci;
        co_s[i] = std::sqrt(cr * cr + ci * ci);
    }
}

}  // namespace

TW_BIN_LOOP double upd_part_spectrum(int n, double r, double rate_tgt, const double* __restrict mag,
                                     const double* __restrict sm2, const double* __restrict res_r,
                                     const double* __restrict res_i, const double* __restrict fr,
                                     const double* __restrict fi, double* __restrict co_r,
                                     double* __restrict co_i, double* __restrict co_s) {
    // The bins run in blocks, each followed by its terms of the volume: the
    // one chain of dependent additions then proceeds while the divisions
    // and square roots of the next block are under way.
    constexpr int block = 16;
    double vol = 0.0;
    int lo = 0;
    for (; lo + block <= n; lo += block) {
        part_spectrum_bins(lo, lo + block, r, rate_tgt, mag, sm2, res_r, res_i, fr, fi, co_r, co_i, co_s);
        for (int i = lo; i < lo + block; ++i) vol += co_s[i];
    }
    part_spectrum_bins(lo, n, r, rate_tgt, mag, sm2, res_r, res_i, fr, fi, co_r, co_i, co_s);
    for (int i = lo; i < n; ++i) vol += co_s[i];
    return vol;
}

TW_BIN_LOOP double upd_wave_samples(int n, int half, const double* __restrict x, std::int32_t* __restrict s) {
    for (int i = 0; i < n; ++i) {
        // trunc_to_i32 without branches: the limits themselves convert exactly.
        const double v = x[i];
        double c = v >= 2147483647.0 ? 2147483647.0 : v;
        c = c <= -2147483648.0 ? -2147483648.0 : c;
        c = v == v ? c : 0.0;
        s[i] = static_cast<std::int32_t>(c);
    }
    std::int64_t level = 0;
    for (int i = half < 0 ? 0 : half; i < n; ++i) {
        const std::int64_t a = s[i];
        level += a < 0 ? -a : a;
    }
    return static_cast<double>(level);
}
