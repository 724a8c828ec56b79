#include "engine/cg_solver.h"

namespace {

// out[i] = Σⱼ A[i][j]·in[j], j ascending. Four rows are summed side by side,
// each in its own order: the four chains of additions overlap.
void mul_a(int n, const double* a, const double* in, double* out) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const double* r0 = a + static_cast<long>(i) * n;
        const double* r1 = r0 + n;
        const double* r2 = r1 + n;
        const double* r3 = r2 + n;
        double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
        for (int j = 0; j < n; ++j) {
            s0 += r0[j] * in[j];
            s1 += r1[j] * in[j];
            s2 += r2[j] * in[j];
            s3 += r3[j] * in[j];
        }
        out[i] = s0;
        out[i + 1] = s1;
        out[i + 2] = s2;
        out[i + 3] = s3;
    }
    for (; i < n; ++i) {
        const double* row = a + static_cast<long>(i) * n;
        double s = 0.0;
        for (int j = 0; j < n; ++j) s += row[j] * in[j];
        out[i] = s;
    }
}

// out[i] = Σⱼ A[j][i]·in[j], j ascending. Walked row by row so the matrix is
// read in memory order; each out[i] still sums its terms in the order j = 0,
// 1, ... starting from 0, so the result equals the column-wise sum exactly.
void mul_at(int n, const double* a, const double* in, double* out) {
    for (int i = 0; i < n; ++i) out[i] = 0.0;
    for (int j = 0; j < n; ++j) {
        const double* row = a + static_cast<long>(j) * n;
        const double f = in[j];
        for (int i = 0; i < n; ++i) out[i] += row[i] * f;
    }
}

// uv = Σᵢ u[i]·v[i] and wz = Σᵢ w[i]·z[i], i ascending, in one pass: the
// two chains of additions overlap.
void dot2(int n, const double* u, const double* v, const double* w, const double* z, double& uv, double& wz) {
    double s = 0.0, t = 0.0;
    for (int i = 0; i < n; ++i) {
        s += u[i] * v[i];
        t += w[i] * z[i];
    }
    uv = s;
    wz = t;
}

}  // namespace

int cg_step_limit(int n) {
    if (n < 64) return n;
    if (n < 128) return n / 2;
    if (n < 256) return n / 4;
    if (n < 512) return n / 8;
    return n / 16;
}

int cg_solve(int n, const double* a, const cg_vectors& v, const int* err_stop) {
    if (n < 0) n = 0;
    double* x = v.nxt;
    for (int i = 0; i < n; ++i) x[i] = v.stt[i];

    // w = b − A·x0, then r = Aᵀ·w and p = r.
    mul_a(n, a, v.stt, v.w);
    for (int i = 0; i < n; ++i) v.w[i] = v.val[i] - v.w[i];
    mul_at(n, a, v.w, v.r);
    for (int i = 0; i < n; ++i) v.p[i] = v.r[i];

    const int limit = cg_step_limit(n);
    int updates = 0;
    for (int t = 0; err_stop == nullptr || *err_stop != 1; ++t) {
        mul_a(n, a, v.p, v.w);
        mul_at(n, a, v.w, v.y);
        double num = 0.0, den = 0.0;
        dot2(n, v.r, v.p, v.y, v.p, num, den);
        const double alpha = den == 0.0 ? 0.0 : num / den;
        for (int i = 0; i < n; ++i) {
            const double next = x[i] + alpha * v.p[i];
            x[i] = next < 0.0 ? x[i] * 0.001 : next;
        }
        ++updates;
        if (t >= limit) break;

        for (int i = 0; i < n; ++i) {
            v.w[i] = v.r[i];
            v.r[i] = v.r[i] - alpha * v.y[i];
        }
        double rr_new = 0.0, rr_old = 0.0;
        dot2(n, v.r, v.r, v.w, v.w, rr_new, rr_old);
        const double beta = rr_old == 0.0 ? 0.0 : rr_new / rr_old;
        for (int i = 0; i < n; ++i) v.p[i] = v.p[i] * beta + v.r[i];
    }

    for (int i = 0; i < n; ++i) {
        double r = x[i];
        if (r > cg_rate_clip) r = cg_rate_clip;
        if (r < -cg_rate_clip) r = -cg_rate_clip;
        v.end[i] = r;
    }
    return updates;
}
