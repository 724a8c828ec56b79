#include "engine/vector_clones.h"
#include "engine/chg_window.h"

#include <cstdint>

#include "engine/dft.h"

chg_grid chg_grid_for(int n, int h) {
    chg_grid g;
    g.h = h;
    g.step = h / 2 > 0 ? h / 2 : 1;
    // Centres k = h, h + step, ... while k < n/2 - h.
    const int span = n / 2 - h - h;  // k - h runs over 0, step, ... below span
    g.count = span > 0 ? (span + g.step - 1) / g.step : 0;
    const bool fits = h >= 0 && n >= 0 && n <= dft_max_len && h < dft_max_len && g.count <= chg_wsum_cap;
    g.tag = fits ? n * (dft_max_len + 1) + h + 1 : chg_wsum_none;
    return g;
}

namespace {

typedef double v4d __attribute__((vector_size(32)));

// Four doubles from p (any alignment) into v.
inline void load4(v4d& v, const double* p) { __builtin_memcpy(&v, p, sizeof v); }

// Widest window the register loops below take; wider ones are summed one
// window after the other.
constexpr int reg_width_max = 65;

// Eight windows side by side in two registers, each still adding its bins
// in window order. Step 2: window i's term m is lo[i + m/2] for even m and
// hi[i + m/2] for odd m, lo and hi the even and the odd bins.
__attribute__((always_inline)) inline void sums_step2(const double* lo, const double* hi, int count,
                                                      int width, double* out) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        v4d a0 = {0.0, 0.0, 0.0, 0.0};
        v4d a1 = a0;
        v4d t0, t1;
        for (int p = 0; p < width / 2; ++p) {
            load4(t0, lo + i + p);
            load4(t1, lo + i + 4 + p);
            a0 += t0;
            a1 += t1;
            load4(t0, hi + i + p);
            load4(t1, hi + i + 4 + p);
            a0 += t0;
            a1 += t1;
        }
        if (width % 2 == 1) {
            load4(t0, lo + i + width / 2);
            load4(t1, lo + i + 4 + width / 2);
            a0 += t0;
            a1 += t1;
        }
        __builtin_memcpy(out + i, &a0, sizeof a0);
        __builtin_memcpy(out + i + 4, &a1, sizeof a1);
    }
    for (; i + 4 <= count; i += 4) {
        v4d a0 = {0.0, 0.0, 0.0, 0.0};
        v4d t0;
        for (int p = 0; p < width / 2; ++p) {
            load4(t0, lo + i + p);
            a0 += t0;
            load4(t0, hi + i + p);
            a0 += t0;
        }
        if (width % 2 == 1) {
            load4(t0, lo + i + width / 2);
            a0 += t0;
        }
        __builtin_memcpy(out + i, &a0, sizeof a0);
    }
    for (; i < count; ++i) {
        double s = 0.0;
        for (int m = 0; m < width; ++m) s += (m % 2 == 0 ? lo : hi)[i + m / 2];
        out[i] = s;
    }
}

// The same for step 1: window i's term m is v[i + m].
__attribute__((always_inline)) inline void sums_step1(const double* v, int count, int width, double* out) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        v4d a0 = {0.0, 0.0, 0.0, 0.0};
        v4d a1 = a0;
        v4d t0, t1;
        for (int m = 0; m < width; ++m) {
            load4(t0, v + i + m);
            load4(t1, v + i + 4 + m);
            a0 += t0;
            a1 += t1;
        }
        __builtin_memcpy(out + i, &a0, sizeof a0);
        __builtin_memcpy(out + i + 4, &a1, sizeof a1);
    }
    for (; i < count; ++i) {
        double s = 0.0;
        for (int m = 0; m < width; ++m) s += v[i + m];
        out[i] = s;
    }
}

}  // namespace

TW_VECTOR_CLONES void chg_window_sums(const double* v, const chg_grid& g,
                                                                       double* out) {
    const int width = 2 * g.h + 1;
    if (g.count > 0 && width <= reg_width_max && g.step == 1) {
        sums_step1(v, g.count, width, out);
        return;
    }
    if (g.count > 0 && width <= reg_width_max && g.step == 2) {
        // Window i starts at bin 2i, so its term m is bin 2i + m: even[i +
        // m/2] for even m, odd[i + m/2] for odd m. The bins are split once.
        double even[chg_wsum_cap + reg_width_max / 2 + 1];
        double odd[chg_wsum_cap + reg_width_max / 2 + 1];
        const int last = 2 * (g.count - 1) + width - 1;  // last bin a window reads
        for (int j = 0; 2 * j <= last; ++j) even[j] = v[2 * j];
        for (int j = 0; 2 * j + 1 <= last; ++j) odd[j] = v[2 * j + 1];
        sums_step2(even, odd, g.count, width, out);
        return;
    }
    for (int i = 0; i < g.count; ++i) {
        const double* a = v + i * g.step;  // window i starts at bin (H + i*step) - H
        double s = 0.0;
        for (int m = 0; m < width; ++m) s += a[m];
        out[i] = s;
    }
}

TW_VECTOR_CLONES bool chg_quick_totals(const chg_rows& rows, int count,
                                                                        double oldest_min, double recent_min,
                                                                        double out[3]) {
    typedef std::int64_t v4l __attribute__((vector_size(32)));
    v4d all = {0.0, 0.0, 0.0, 0.0};
    v4d tot = all;
    v4d ena = all;
    const v4d zero = all;
    v4l neg = {0, 0, 0, 0};  // lanes that met a negative term
    bool negative = false;
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        v4d r0, r1, r2, recent, c;
        load4(r0, rows.ref[0] + i);
        load4(r1, rows.ref[1] + i);
        load4(r2, rows.ref[2] + i);
        all += r0 + r1 + r2;
        neg |= (r0 < 0.0) | (r1 < 0.0) | (r2 < 0.0);
        load4(recent, rows.recent[0] + i);
        neg |= recent < 0.0;
        auto qualifies = recent > oldest_min;
        for (int s = 1; s < rows.recent_cnt; ++s) {
            load4(c, rows.recent[s] + i);
            neg |= c < 0.0;
            recent += c;
            qualifies &= c > recent_min;
        }
        tot += recent;
        ena += qualifies ? recent : zero;
    }
    double a = (all[0] + all[1]) + (all[2] + all[3]);
    double t = (tot[0] + tot[1]) + (tot[2] + tot[3]);
    double e = (ena[0] + ena[1]) + (ena[2] + ena[3]);
    for (; i < count; ++i) {
        a += rows.ref[0][i] + rows.ref[1][i] + rows.ref[2][i];
        negative = negative || rows.ref[0][i] < 0.0 || rows.ref[1][i] < 0.0 || rows.ref[2][i] < 0.0;
        double recent = rows.recent[0][i];
        negative = negative || recent < 0.0;
        bool qualifies = recent > oldest_min;
        for (int s = 1; s < rows.recent_cnt; ++s) {
            recent += rows.recent[s][i];
            negative = negative || rows.recent[s][i] < 0.0;
            qualifies = qualifies && rows.recent[s][i] > recent_min;
        }
        t += recent;
        if (qualifies) e += recent;
    }
    out[0] = a;
    out[1] = t;
    out[2] = e;
    return !negative && (neg[0] | neg[1] | neg[2] | neg[3]) == 0;
}
