#include "engine/cg_solver.h"

namespace {

// out[i] = Σⱼ A[i][j]·in[j], j ascending.
void mul_a(int n, const double* a, const double* in, double* out) {
    for (int i = 0; i < n; ++i) {
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

double dot(int n, const double* u, const double* v) {
    double s = 0.0;
    for (int i = 0; i < n; ++i) s += u[i] * v[i];
    return s;
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
        const double num = dot(n, v.r, v.p);
        const double den = dot(n, v.y, v.p);
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
        const double rr_new = dot(n, v.r, v.r);
        const double rr_old = dot(n, v.w, v.w);
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
