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
struct twiddle_table {
    double cos_tbl[dft_max_len];
    double sin_tbl[dft_max_len];
    int len = 0;  // N the table was built for; 0 = never
};

twiddle_table dft_fwd_tbl;
twiddle_table dft_inv_tbl;

bool is_valid_len(int n) { return n >= 1 && n <= dft_max_len && (n & (n - 1)) == 0; }

int stage_count(int n) {
    return static_cast<int>(std::log(static_cast<double>(n)) / std::log(2.0) + 0.005);
}

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
    t.len = n;
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
    const double* ct = tbl.cos_tbl;
    const double* st = tbl.sin_tbl;
    const int half = n / 2;

    // Butterflies in place. Stage B has G = N/(2B) groups; the butterfly at
    // upper index u = g*2B + j uses table entry k = j*G for the upper output
    // and k + N/2 (the negated twiddle) for the lower one. The butterflies of
    // one stage are independent, so they run with j outer to keep the
    // twiddle in registers; each one computes exactly the same expressions.
    for (int b = 1; b < n; b *= 2) {
        const int groups = n / (2 * b);
        const int span = 2 * b;
        for (int j = 0; j < b; ++j) {
            const int k = j * groups;
            const double c1 = ct[k];
            const double s1 = st[k];
            const double c2 = ct[k + half];
            const double s2 = st[k + half];
            for (int u = j; u < n; u += span) {
                const int l = u + b;
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
        }
    }

    if (inverse) {
        const double scale = static_cast<double>(n);
        for (int i = 0; i < n; ++i) {
            out_re[i] = dft_work_re[i] / scale;
            out_im[i] = dft_work_im[i] / scale;
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
