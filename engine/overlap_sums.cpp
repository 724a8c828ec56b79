#include "engine/vector_clones.h"
#include "engine/overlap_sums.h"

#include <cstdint>

namespace {

typedef double v4d __attribute__((vector_size(32)));
typedef std::int64_t v4l __attribute__((vector_size(32)));

// Four doubles from p (any alignment) into v.
inline void load4(v4d& v, const double* p) { __builtin_memcpy(&v, p, sizeof v); }

}  // namespace

TW_VECTOR_CLONES overlap_sums sum_overlaps(const double (*w)[8192],
                                                                            const double (*q)[8192], int rows,
                                                                            int half, double p2, double p3) {
    overlap_sums r;
    if (!(p2 >= 0.0)) return r;
    // Four lanes of sums and counts (a count lane falls by 1 per counted
    // term: a true comparison is -1).
    v4d s1 = {0.0, 0.0, 0.0, 0.0};
    v4d s2 = s1;
    v4l c1 = {0, 0, 0, 0};
    v4l c2 = c1;
    v4l neg = c1;
    double t1 = 0.0, t2 = 0.0;
    long u1 = 0, u2 = 0;
    bool nonneg = true;
    for (int d = 0; d < rows; ++d) {
        const double* wr = w[d];
        const double* qr = q[d];
        int i = 0;
        for (; i + 4 <= half; i += 4) {
            v4d a, b;
            load4(a, wr + i);
            load4(b, qr + i);
            const v4d m = b < a ? b : a;  // std::min(a, b), lane by lane
            const v4l same = (a == b) & (a > 0.0);
            const v4d v1 = same ? p2 : p2 * m;
            const v4d v2 = 100.0 * m;
            s1 += v1;
            s2 += v2;
            c1 += ~same & (v1 >= p3);
            c2 += v2 >= 30.0;
            neg |= ~(m >= 0.0);
        }
        for (; i < half; ++i) {
            const double a = wr[i];
            const double b = qr[i];
            const double m = b < a ? b : a;
            const bool same = a == b && a > 0.0;
            const double v1 = same ? p2 : p2 * m;
            const double v2 = 100.0 * m;
            t1 += v1;
            t2 += v2;
            u1 += !same && v1 >= p3;
            u2 += v2 >= 30.0;
            nonneg = nonneg && m >= 0.0;
        }
    }
    r.usable = nonneg && (neg[0] | neg[1] | neg[2] | neg[3]) == 0;
    r.sum1 = ((s1[0] + s1[1]) + (s1[2] + s1[3])) + t1;
    r.sum2 = ((s2[0] + s2[1]) + (s2[2] + s2[3])) + t2;
    r.cnt1 = static_cast<int>(u1 - (c1[0] + c1[1] + c1[2] + c1[3]));
    r.cnt2 = static_cast<int>(u2 - (c2[0] + c2[1] + c2[2] + c2[3]));
    return r;
}
