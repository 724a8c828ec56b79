#include "engine/dft_kernel.h"

#include <immintrin.h>

namespace {

// ---- Portable loops ----

inline void butterfly(dft_work_arrays& w, double c1, double s1, double c2, double s2, int u, int l) {
    const double ur = w.re[u];
    const double ui = w.im[u];
    const double lr = w.re[l];
    const double li = w.im[l];
    const double t_re = lr * c1 + li * s1;
    const double t_im = li * c1 - lr * s1;
    w.re[l] = ur + (lr * c2 + li * s2);
    w.im[l] = ui + (li * c2 - lr * s2);
    w.re[u] = ur + t_re;
    w.im[u] = ui + t_im;
}

// ---- AVX2 ----

#define TW_AVX2 __attribute__((target("avx2")))

// Four complex values, lane by lane.
struct cv4 {
    __m256d re, im;
};

// Twiddles of four butterflies (or one, broadcast).
struct tw4 {
    __m256d c1, s1, c2, s2;
};

// Entries j .. j + 3 of stage B (B >= 4, j a multiple of 4).
TW_AVX2 inline tw4 tw_load(const dft_twiddles& t, int b, int j) {
    const double* p = t.stg_pack + stg_pack_at(b, j);
    return {_mm256_load_pd(p), _mm256_load_pd(p + 4), _mm256_load_pd(p + 8), _mm256_load_pd(p + 12)};
}

TW_AVX2 inline tw4 tw_broadcast(const dft_twiddles& t, int at) {
    return {_mm256_set1_pd(t.stg_c1[at]), _mm256_set1_pd(t.stg_s1[at]), _mm256_set1_pd(t.stg_c2[at]),
            _mm256_set1_pd(t.stg_s2[at])};
}

// The butterfly of dft_kernel.h on four pairs: u and l are replaced by the
// upper and lower outputs.
TW_AVX2 inline void bfly(cv4& u, cv4& l, const tw4& w) {
    const __m256d t_re = _mm256_add_pd(_mm256_mul_pd(l.re, w.c1), _mm256_mul_pd(l.im, w.s1));
    const __m256d t_im = _mm256_sub_pd(_mm256_mul_pd(l.im, w.c1), _mm256_mul_pd(l.re, w.s1));
    const __m256d l_re =
        _mm256_add_pd(u.re, _mm256_add_pd(_mm256_mul_pd(l.re, w.c2), _mm256_mul_pd(l.im, w.s2)));
    const __m256d l_im =
        _mm256_add_pd(u.im, _mm256_sub_pd(_mm256_mul_pd(l.im, w.c2), _mm256_mul_pd(l.re, w.s2)));
    u.re = _mm256_add_pd(u.re, t_re);
    u.im = _mm256_add_pd(u.im, t_im);
    l.re = l_re;
    l.im = l_im;
}

TW_AVX2 inline cv4 load_work(const dft_work_arrays& w, int at) {
    return {_mm256_loadu_pd(w.re + at), _mm256_loadu_pd(w.im + at)};
}

// Where a sweep puts its results: back into the work arrays, or (last
// sweep) into the outputs, scaled by 1/N for the inverse.
struct sink {
    double* re;
    double* im;
    bool scale;
    __m256d factor;
};

TW_AVX2 inline void store_to(const sink& s, int at, const cv4& v) {
    if (s.scale) {
        _mm256_storeu_pd(s.re + at, _mm256_mul_pd(v.re, s.factor));
        _mm256_storeu_pd(s.im + at, _mm256_mul_pd(v.im, s.factor));
    } else {
        _mm256_storeu_pd(s.re + at, v.re);
        _mm256_storeu_pd(s.im + at, v.im);
    }
}

// Rows r of the result are lanes r of a, b, c, d.
TW_AVX2 inline void transpose4(__m256d& a, __m256d& b, __m256d& c, __m256d& d) {
    const __m256d ab_lo = _mm256_unpacklo_pd(a, b);  // a0 b0 a2 b2
    const __m256d ab_hi = _mm256_unpackhi_pd(a, b);  // a1 b1 a3 b3
    const __m256d cd_lo = _mm256_unpacklo_pd(c, d);  // c0 d0 c2 d2
    const __m256d cd_hi = _mm256_unpackhi_pd(c, d);  // c1 d1 c3 d3
    a = _mm256_permute2f128_pd(ab_lo, cd_lo, 0x20);  // a0 b0 c0 d0
    b = _mm256_permute2f128_pd(ab_hi, cd_hi, 0x20);  // a1 b1 c1 d1
    c = _mm256_permute2f128_pd(ab_lo, cd_lo, 0x31);  // a2 b2 c2 d2
    d = _mm256_permute2f128_pd(ab_hi, cd_hi, 0x31);  // a3 b3 c3 d3
}

// Stages B = 1, 2, 4, 8 for the 16 work elements from e = 16p on, read in
// bit-reversed order straight from the inputs (work[i] = in[t[i]]: the
// bit-reversal is its own inverse). Stages 1 and 2 run with the lanes over
// the four quads e + 4r; after a transpose, stages 4 and 8 with the lanes
// over the butterflies j of a group.
TW_AVX2 inline void first_four_stages(const dft_job& job, int e, cv4 (&row)[4]) {
    const std::int32_t* t = dft_bit_rev + e;
    cv4 v[4];
    for (int m = 0; m < 4; ++m) {
        v[m].re =
            _mm256_setr_pd(job.in_re[t[m]], job.in_re[t[4 + m]], job.in_re[t[8 + m]], job.in_re[t[12 + m]]);
    }
    // Without imaginary inputs the same +0.0 the loads would give.
    for (int m = 0; m < 4; ++m) {
        v[m].im = job.in_im == nullptr ? _mm256_setzero_pd()
                                       : _mm256_setr_pd(job.in_im[t[m]], job.in_im[t[4 + m]],
                                                        job.in_im[t[8 + m]], job.in_im[t[12 + m]]);
    }
    const dft_twiddles& tb = job.tbl;
    const tw4 w1 = tw_broadcast(tb, 0);  // B = 1: entry k = 0 for every pair
    bfly(v[0], v[1], w1);
    bfly(v[2], v[3], w1);
    bfly(v[0], v[2], tw_broadcast(tb, 1));  // B = 2, j = 0
    bfly(v[1], v[3], tw_broadcast(tb, 2));  // B = 2, j = 1
    transpose4(v[0].re, v[1].re, v[2].re, v[3].re);
    transpose4(v[0].im, v[1].im, v[2].im, v[3].im);
    // v[r] now holds elements e + 4r .. e + 4r + 3.
    const tw4 w4 = tw_load(tb, 4, 0);
    bfly(v[0], v[1], w4);
    bfly(v[2], v[3], w4);
    bfly(v[0], v[2], tw_load(tb, 8, 0));
    bfly(v[1], v[3], tw_load(tb, 8, 4));
    for (int r = 0; r < 4; ++r) row[r] = v[r];
}

// One stage B alone, four butterflies j at a time (B >= 4).
TW_AVX2 void single_stage(const dft_job& job, int b, const sink& out) {
    const int n = job.n;
    for (int g = 0; g < n; g += 2 * b) {
        for (int j = 0; j < b; j += 4) {
            cv4 x0 = load_work(*job.work, g + j);
            cv4 x1 = load_work(*job.work, g + j + b);
            bfly(x0, x1, tw_load(job.tbl, b, j));
            store_to(out, g + j, x0);
            store_to(out, g + j + b, x1);
        }
    }
}

// Stages B and 2B in one sweep: per group of 4B and butterfly j, the four
// elements j, j + B, j + 2B, j + 3B pass stage B in the pairs (j, j + B),
// (j + 2B, j + 3B) and then stage 2B in the pairs (j, j + 2B) with entry j
// and (j + B, j + 3B) with entry j + B of that stage.
TW_AVX2 void double_stage(const dft_job& job, int b, const sink& out) {
    const int n = job.n;
    const dft_twiddles& tb = job.tbl;
    for (int g = 0; g < n; g += 4 * b) {
        for (int j = 0; j < b; j += 4) {
            cv4 x0 = load_work(*job.work, g + j);
            cv4 x1 = load_work(*job.work, g + j + b);
            cv4 x2 = load_work(*job.work, g + j + 2 * b);
            cv4 x3 = load_work(*job.work, g + j + 3 * b);
            const tw4 w = tw_load(tb, b, j);
            bfly(x0, x1, w);
            bfly(x2, x3, w);
            bfly(x0, x2, tw_load(tb, 2 * b, j));
            bfly(x1, x3, tw_load(tb, 2 * b, j + b));
            store_to(out, g + j, x0);
            store_to(out, g + j + b, x1);
            store_to(out, g + j + 2 * b, x2);
            store_to(out, g + j + 3 * b, x3);
        }
    }
}

}  // namespace

void dft_run_portable(const dft_job& job) {
    const int n = job.n;
    dft_work_arrays& w = *job.work;
    for (int i = 0; i < n; ++i) {
        w.re[dft_bit_rev[i]] = job.in_re[i];
        w.im[dft_bit_rev[i]] = job.in_im != nullptr ? job.in_im[i] : 0.0;
    }
    // Stage B has G = N/(2B) groups; the butterfly at upper index u = g*2B
    // + j uses table entry k = j*G. The first stages (one or two
    // butterflies per group) run with j outer, the others with the groups
    // outer so that the inner loop walks the arrays in order.
    const dft_twiddles& tb = job.tbl;
    for (int b = 1; b < n; b *= 2) {
        const int span = 2 * b;
        const double* c1 = tb.stg_c1 + (b - 1);
        const double* s1 = tb.stg_s1 + (b - 1);
        const double* c2 = tb.stg_c2 + (b - 1);
        const double* s2 = tb.stg_s2 + (b - 1);
        if (b <= 2) {
            for (int j = 0; j < b; ++j) {
                for (int u = j; u < n; u += span) butterfly(w, c1[j], s1[j], c2[j], s2[j], u, u + b);
            }
        } else {
            for (int g = 0; g < n; g += span) {
                for (int j = 0; j < b; ++j) butterfly(w, c1[j], s1[j], c2[j], s2[j], g + j, g + j + b);
            }
        }
    }
    if (job.inverse) {
        const double scale = 1.0 / static_cast<double>(n);
        for (int i = 0; i < n; ++i) {
            job.out_re[i] = w.re[i] * scale;
            job.out_im[i] = w.im[i] * scale;
        }
    } else {
        for (int i = 0; i < n; ++i) {
            job.out_re[i] = w.re[i];
            job.out_im[i] = w.im[i];
        }
    }
}

TW_AVX2 void dft_run_avx2(const dft_job& job) {
    const int n = job.n;
    const sink work{job.work->re, job.work->im, false, _mm256_setzero_pd()};
    const sink out{job.out_re, job.out_im, job.inverse, _mm256_set1_pd(1.0 / static_cast<double>(n))};

    // Stages 1 .. 8 from the inputs. The inputs are not read after this, so
    // the outputs may alias them.
    const bool more = n > 16;
    for (int e = 0; e < n; e += 16) {
        cv4 row[4];
        first_four_stages(job, e, row);
        for (int r = 0; r < 4; ++r) store_to(more ? work : out, e + 4 * r, row[r]);
    }
    if (!more) return;

    // Stages 16 .. N/2: one alone when their number is odd, then in pairs;
    // the last sweep writes the outputs.
    int b = 16;
    int left = 0;
    for (int s = b; s < n; s *= 2) ++left;
    if (left % 2 == 1) {
        single_stage(job, b, left == 1 ? out : work);
        b *= 2;
        --left;
    }
    for (; left > 0; left -= 2, b *= 4) double_stage(job, b, left == 2 ? out : work);
}

bool dft_avx2_available() { return __builtin_cpu_supports("avx2"); }
