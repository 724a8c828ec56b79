#include "engine/extr_state.h"

#include <algorithm>
#include <cmath>

void hst_ring::clear(int n, int ahead) {
    n = std::clamp(n, 0, dft_max_len);
    rows_ = hst_depth + 1 + std::clamp(ahead, 0, hst_ahead_max);
    for (int r = 0; r < rows_; ++r) {
        diff_n_[r] = 0;
        abs_from_[r] = abs_to_[r] = 0;
        std::fill_n(re_[r], n, 0.0);
        std::fill_n(im_[r], n, 0.0);
        std::fill_n(abs_[r], n, 0.0);
        sum_[r] = 0.0;
        sum_bins_[r] = 0;
        prv_[r] = 0;
        ptr_[r] = 0;
        wsum_tag_[r] = chg_wsum_none;  // summed again once the frame loop fills the slot
    }
    top_ = 0;
}

void hst_ring::sum_windows(int k, const chg_grid& g) {
    const int r = row(k);
    if (g.tag == chg_wsum_none) {
        wsum_tag_[r] = chg_wsum_none;
        return;
    }
    // The windows end below N/2; pending bins there are formed first.
    if (g.count > 0 && abs_from_[r] <= (g.count - 1) * g.step + 2 * g.h) form_abs(r);
    chg_window_sums(abs_[r], g, wsum_[r]);
    wsum_tag_[r] = g.tag;
}

void hst_ring::set_wsum(int k, const double* sums, const chg_grid& g) {
    const int r = row(k);
    if (g.tag == chg_wsum_none) {
        wsum_tag_[r] = chg_wsum_none;
        return;
    }
    std::copy_n(sums, g.count, wsum_[r]);
    wsum_tag_[r] = g.tag;
}

double hst_ring::sum(int k) const {
    const int r = row(k);
    if (sum_bins_[r] > 0) {
        form_abs(r);
        double s = 0.0;
        for (int j = 0; j < sum_bins_[r]; ++j) s += abs_[r][j];
        sum_[r] = s;
        sum_bins_[r] = 0;
    }
    return sum_[r];
}

void hst_ring::set_sum(int k, double v) {
    sum_[row(k)] = v;
    sum_bins_[row(k)] = 0;
}

void hst_ring::set_sum_of_abs(int k, int n) {
    sum_[row(k)] = 0.0;
    sum_bins_[row(k)] = std::clamp(n, 0, dft_max_len);
}

void hst_ring::set_diff(int k, int n, const double* a_re, const double* a_im, const double* b_re,
                        const double* b_im) {
    const int r = row(k);
    diff_n_[r] = std::clamp(n, 0, dft_max_len);
    diff_src_[r][0] = a_re;
    diff_src_[r][1] = a_im;
    diff_src_[r][2] = b_re;
    diff_src_[r][3] = b_im;
}

void hst_ring::form_diff_now(int r) const {
    const int n = diff_n_[r];
    diff_n_[r] = 0;
    const double* const* src = diff_src_[r];
    for (int j = 0; j < n; ++j) {
        re_[r][j] = src[0][j] - src[2][j];
        im_[r][j] = src[1][j] - src[3][j];
    }
}

void hst_ring::defer_magnitudes(int k, int from, int n) {
    const int r = row(k);
    abs_from_[r] = std::clamp(from, 0, dft_max_len);
    abs_to_[r] = std::clamp(n, 0, dft_max_len);
    abs_of_diff_[r] = false;
}

void hst_ring::defer_increases(int k, int from, int n) {
    const int r = row(k);
    abs_from_[r] = std::clamp(from, 0, dft_max_len);
    abs_to_[r] = std::clamp(n, 0, dft_max_len);
    abs_of_diff_[r] = true;
}

void hst_ring::form_abs_now(int r) const {
    const int lo = abs_from_[r];
    const int hi = abs_to_[r];
    abs_from_[r] = abs_to_[r] = 0;
    double* out = abs_[r];
    if (!abs_of_diff_[r]) {
        form_diff(r);
        const double* re = re_[r];
        const double* im = im_[r];
        for (int j = lo; j < hi; ++j) out[j] = std::sqrt(re[j] * re[j] + im[j] * im[j]);
        return;
    }
    const double* const* src = diff_src_[r];
    for (int j = lo; j < hi; ++j) {
        const double a = std::sqrt(src[0][j] * src[0][j] + src[1][j] * src[1][j]);
        const double b = std::sqrt(src[2][j] * src[2][j] + src[3][j] * src[3][j]);
        const double inc = a - b;
        out[j] = inc > 0.0 ? inc : 0.0;
    }
}
