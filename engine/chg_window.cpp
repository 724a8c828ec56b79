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

// The sums bin by bin: first every window's bin 0, then every window's bin
// 1, ... so each window still adds its bins in window order, and the windows
// run side by side. A fixed step lets the compiler load the bins with
// vector shuffles.
template <int step>
void sums_by_bin(const double* v, int count, int width, double* out) {
    for (int i = 0; i < count; ++i) out[i] = 0.0;
    for (int m = 0; m < width; ++m) {
        const double* b = v + m;
        for (int i = 0; i < count; ++i) out[i] += b[i * step];
    }
}

}  // namespace

TW_VECTOR_CLONES void chg_window_sums(const double* v, const chg_grid& g,
                                                                       double* out) {
    const int width = 2 * g.h + 1;
    switch (g.step) {
        case 1:
            sums_by_bin<1>(v, g.count, width, out);
            return;
        case 2:
            sums_by_bin<2>(v, g.count, width, out);
            return;
        default:
            break;
    }
    for (int i = 0; i < g.count; ++i) {
        const double* a = v + i * g.step;  // window i starts at bin (H + i*step) - H
        double s = 0.0;
        for (int m = 0; m < width; ++m) s += a[m];
        out[i] = s;
    }
}

namespace {

typedef double v4d __attribute__((vector_size(32)));

// Four doubles from p (any alignment) into v.
inline void load4(v4d& v, const double* p) { __builtin_memcpy(&v, p, sizeof v); }

}  // namespace

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
