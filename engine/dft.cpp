#include "engine/dft.h"

#include <cmath>
#include <cstdint>

#include "engine/dft_kernel.h"

// Work arrays of each thread, shared by both directions, and the
// process-wide tables: the bit-reversal table of both directions and the
// twiddle tables of each.
thread_local dft_work_arrays dft_work;
std::int32_t dft_bit_rev[dft_max_len];

namespace {

int dft_bit_rev_len = 0;  // N the bit-reversal table was built for; 0 = never
double dft_pi = 0.0;      // arc cosine of -1, taken on first use

dft_twiddles dft_fwd_tbl;
dft_twiddles dft_inv_tbl;

// Kernel choice: 0 not yet decided, 1 the portable loops, 2 the AVX2 passes.
int dft_kernel_kind = 0;

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

void build_twiddles(dft_twiddles& t, int n, bool inverse) {
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
        for (int j = 0; b >= 4 && j < b; j += 4) {
            double* p = t.stg_pack + stg_pack_at(b, j);
            for (int q = 0; q < 4; ++q) {
                p[q] = t.stg_c1[b - 1 + j + q];
                p[4 + q] = t.stg_s1[b - 1 + j + q];
                p[8 + q] = t.stg_c2[b - 1 + j + q];
                p[12 + q] = t.stg_s2[b - 1 + j + q];
            }
        }
    }
    t.len = n;
}

bool use_avx2() {
    if (dft_kernel_kind == 0) dft_kernel_kind = dft_avx2_available() ? 2 : 1;
    return dft_kernel_kind == 2;
}

int run_transform(int n, const double* in_re, const double* in_im, double* out_re, double* out_im,
                  bool inverse) {
    if (!is_valid_len(n)) return -1;
    if (in_re == nullptr || out_re == nullptr || out_im == nullptr) return -1;  // in_im null: all +0.0

    const int stages = stage_count(n);
    if (dft_bit_rev_len != n) build_bit_rev(n, stages);
    dft_twiddles& tbl = inverse ? dft_inv_tbl : dft_fwd_tbl;
    if (tbl.len != n) build_twiddles(tbl, n, inverse);

    const dft_job job{n, in_re, in_im, out_re, out_im, inverse, tbl, &dft_work};
    if (n >= dft_avx2_min_len && use_avx2()) {
        dft_run_avx2(job);
    } else {
        dft_run_portable(job);
    }
    return 0;
}

}  // namespace

int exec_dft(int n, const double* in_re, const double* in_im, double* out_re, double* out_im) {
    if (in_im == nullptr) return -1;
    return run_transform(n, in_re, in_im, out_re, out_im, false);
}

int exec_ivdft(int n, const double* in_re, const double* in_im, double* out_re, double* out_im) {
    if (in_im == nullptr) return -1;
    return run_transform(n, in_re, in_im, out_re, out_im, true);
}

int exec_dft_real(int n, const double* in_re, double* out_re, double* out_im) {
    return run_transform(n, in_re, nullptr, out_re, out_im, false);
}

void dft_prepare(int n) {
    if (!is_valid_len(n)) return;
    const int stages = stage_count(n);
    if (dft_bit_rev_len != n) build_bit_rev(n, stages);
    if (dft_fwd_tbl.len != n) build_twiddles(dft_fwd_tbl, n, false);
    if (dft_inv_tbl.len != n) build_twiddles(dft_inv_tbl, n, true);
    use_avx2();
}

void dft_select_kernel(bool portable) { dft_kernel_kind = portable ? 1 : 0; }
