#include "engine/dft.h"

#include <cmath>
#include <cstdint>

namespace {

// Process-wide work arrays and tables. They live for the whole process and
// are shared by both directions (the bit-reversal table and the work arrays)
// or kept once per direction (the twiddle tables).
double dft_work_re[dft_max_len];
double dft_work_im[dft_max_len];
std::int32_t dft_bit_rev[dft_max_len];
int dft_bit_rev_len = 0;  // N the bit-reversal table was built for; 0 = never

double dft_pi = 0.0;  // arc cosine of -1, taken on first use

// Full-circle twiddle table of one direction: cos(2*pi*k/N) and
// +sin (forward) or -sin (inverse) for k = 0 .. N-1.
//
// The stage copies hold, for stage B at offset B - 1, the entries the
// butterflies j = 0 .. B-1 of that stage use: k = j*G (stg_c1, stg_s1) and
// k + N/2 (stg_c2, stg_s2). They are plain copies of table entries, laid out
// contiguously so the inner butterfly loop reads them in order.
struct twiddle_table {
    double cos_tbl[dft_max_len];
    double sin_tbl[dft_max_len];
    double stg_c1[dft_max_len];
    double stg_s1[dft_max_len];
    double stg_c2[dft_max_len];
    double stg_s2[dft_max_len];
    int len = 0;  // N the table was built for; 0 = never
};

twiddle_table dft_fwd_tbl;
twiddle_table dft_inv_tbl;

bool is_valid_len(int n) { return n >= 1 && n <= dft_max_len && (n & (n - 1)) == 0; }

int stage_count(int n) { return static_cast<int>(std::log(static_cast<double>(n)) / std::log(2.0) + 0.005); }

// t[0] = 0; each doubling B appends t[B + j] = t[j] + N/(2B), which for a
// power of two is the bit-reversed index.
void build_bit_rev(int n, int stages) {
    dft_bit_rev[0] = 0;
    int b = 1;
    for (int s = 0; s < stages; ++s) {
        const int step = n / (2 * b);
        for (int j = 0; j < b; ++j) dft_bit_rev[b + j] = dft_bit_rev[j] + step;
        b *= 2;
    }
    dft_bit_rev_len = n;
}

void build_twiddles(twiddle_table& t, int n, bool inverse) {
    if (dft_pi == 0.0) dft_pi = std::acos(-1.0);
    const double step = 2.0 * dft_pi / static_cast<double>(n);
    for (int k = 0; k < n; ++k) {
        const double angle = static_cast<double>(k) * step;
        t.cos_tbl[k] = std::cos(angle);
        t.sin_tbl[k] = inverse ? -std::sin(angle) : std::sin(angle);
    }
    const int half = n / 2;
    for (int b = 1; b < n; b *= 2) {
        const int groups = n / (2 * b);
        for (int j = 0; j < b; ++j) {
            const int k = j * groups;
            t.stg_c1[b - 1 + j] = t.cos_tbl[k];
            t.stg_s1[b - 1 + j] = t.sin_tbl[k];
            t.stg_c2[b - 1 + j] = t.cos_tbl[k + half];
            t.stg_s2[b - 1 + j] = t.sin_tbl[k + half];
        }
    }
    t.len = n;
}

// One butterfly at upper index u with lower partner l: with w(k) = cos -
// i*sin of table entry k, t = work[l] * w(k); work[l] = work[u] + work[l] *
// w(k + N/2); work[u] = work[u] + t.
inline void butterfly(double c1, double s1, double c2, double s2, int u, int l) {
    const double ur = dft_work_re[u];
    const double ui = dft_work_im[u];
    const double lr = dft_work_re[l];
    const double li = dft_work_im[l];
    const double t_re = lr * c1 + li * s1;
    const double t_im = li * c1 - lr * s1;
    dft_work_re[l] = ur + (lr * c2 + li * s2);
    dft_work_im[l] = ui + (li * c2 - lr * s2);
    dft_work_re[u] = ur + t_re;
    dft_work_im[u] = ui + t_im;
}

int run_transform(int n, const double* in_re, const double* in_im, double* out_re, double* out_im,
                  bool inverse) {
    if (!is_valid_len(n)) return -1;
    if (in_re == nullptr || in_im == nullptr || out_re == nullptr || out_im == nullptr) return -1;

    const int stages = stage_count(n);
    if (dft_bit_rev_len != n) build_bit_rev(n, stages);

    // Scatter into bit-reversed order. From here on the inputs are not read,
    // so the outputs may alias them.
    for (int i = 0; i < n; ++i) {
        dft_work_re[dft_bit_rev[i]] = in_re[i];
        dft_work_im[dft_bit_rev[i]] = in_im[i];
    }

    twiddle_table& tbl = inverse ? dft_inv_tbl : dft_fwd_tbl;
    if (tbl.len != n) build_twiddles(tbl, n, inverse);

    // Butterflies in place. Stage B has G = N/(2B) groups; the butterfly at
    // upper index u = g*2B + j uses table entry k = j*G for the upper output
    // and k + N/2 (the negated twiddle) for the lower one. The butterflies of
    // one stage are independent, so the loop order is free: the first stages
    // (one or two butterflies per group) run with j outer, the others with
    // the groups outer so that the inner loop walks the work arrays and the
    // stage copies of the table in order. Each butterfly computes exactly the
    // same expressions either way.
    for (int b = 1; b < n; b *= 2) {
        const int span = 2 * b;
        const double* c1 = tbl.stg_c1 + (b - 1);
        const double* s1 = tbl.stg_s1 + (b - 1);
        const double* c2 = tbl.stg_c2 + (b - 1);
        const double* s2 = tbl.stg_s2 + (b - 1);
        if (b <= 2) {
            for (int j = 0; j < b; ++j) {
                for (int u = j; u < n; u += span) butterfly(c1[j], s1[j], c2[j], s2[j], u, u + b);
            }
        } else {
            for (int g = 0; g < n; g += span) {
                for (int j = 0; j < b; ++j) butterfly(c1[j], s1[j], c2[j], s2[j], g + j, g + j + b);
            }
        }
    }

    if (inverse) {
        // N is a power of two, so 1/N is exact and multiplying by it gives
        // the same doubles as dividing by N.
        const double scale = 1.0 / static_cast<double>(n);
        for (int i = 0; i < n; ++i) {
            out_re[i] = dft_work_re[i] * scale;
            out_im[i] = dft_work_im[i] * scale;
        }
    } else {
        for (int i = 0; i < n; ++i) {
            out_re[i] = dft_work_re[i];
            out_im[i] = dft_work_im[i];
        }
    }
    return 0;
}

}  // namespace

int exec_dft(int n, const double* in_re, const double* in_im, double* out_re, double* out_im) {
    return run_transform(n, in_re, in_im, out_re, out_im, false);
}

int exec_ivdft(int n, const double* in_re, const double* in_im, double* out_re, double* out_im) {
    return run_transform(n, in_re, in_im, out_re, out_im, true);
}
