#include "view/freq_plan.h"

#include <algorithm>
#include <cmath>

#include "document/le_bytes.h"
#include "engine/dft.h"
#include "engine/extr_state.h"
#include "engine/work_area.h"

namespace {

// Rows the spectrum wants: N/2 bins and 3 rows of margin above and below.
int full_rows(int n) { return n / 2 + 6; }

double bin_value(int comp, double re, double im) {
    switch (comp) {
        case 2:
            return std::fabs(re);
        case 3:
            return std::fabs(im);
        default:
            return std::sqrt(re * re + im * im);
    }
}

}  // namespace

int freq_hop(double p, int n) {
    if (p <= 129.0) return n / 8;
    if (p < 257.0) return n / 4;
    if (p < 513.0) return n / 2;
    if (p < 1025.0) return n;
    if (p < 2049.0) return 2 * n;
    if (p < 4099.0) return 4 * n;  // 4099, not 4097: the table was laid out that way
    if (p < 8193.0) return 8 * n;
    return 16 * n;
}

int freq_scroll_ofs(const freq_scene& fs, int inner_h) {
    const int want = full_rows(freq_frm_len);
    if (!fs.bar_exists || fs.bar_max - fs.bar_min <= 0 || inner_h >= want) return 0;
    const long long pos = std::clamp(fs.bar_pos, fs.bar_min, fs.bar_max) - fs.bar_min;
    return static_cast<int>(pos * (want - inner_h) / (fs.bar_max - fs.bar_min));
}

int freq_of_bin(int b, int n) {
    return static_cast<int>(std::trunc(static_cast<double>(b) * 44100.0 / n + 0.5));
}

std::vector<freq_label> freq_labels(int IT, int IB, int S, int n, int ch) {
    std::vector<freq_label> out;
    for (int i = std::max(S, 0); i < n / 2; ++i) {
        const int y = IT + 3 + i - S;
        if (y >= IB - 3) break;
        const int b = n / 2 - i;
        const int f = freq_of_bin(b, n);
        // Within 30 Hz of a multiple of 2000 Hz: 1981 Hz and 2024 Hz both say 2000.
        if ((f % 2000 < 30 || f % 2000 > 1970) && y > IT + 2 * ch) {
            out.push_back({b, y, ((f - 50) / 2000) * 2000 + 2000});
        }
    }
    return out;
}

freq_work engine_freq_work(extr_state& ex) {
    return {ex.frm_re, ex.frm_im, ex.spc_re, ex.spc_im, co_r_1, co_i_1};
}

int run_freq_frames(const freq_frames_in& in, const freq_work& w,
                    const std::function<void(const freq_run&)>& out) {
    const int n = in.n;
    if (n < 2 || n > dft_max_len || !(in.smpl_per_pix > 0.0)) return 0;
    const int chnl = in.sel.chnl == 2 ? 1 : 0;
    const bool dif = in.sel.scale == 2;
    const double hi = in.full_scale;
    const double lo = dif ? -hi : 0.0;
    const std::int64_t hop = freq_hop(in.smpl_per_pix, n);
    const int S = std::max(in.S, 0);

    // Rows shown: bins N/2 - S downwards, from IT + 3 while above IB - 3.
    const int rows = std::clamp(std::min(n / 2 - S, (in.IB - 3) - (in.IT + 3)), 0, n / 2);
    std::vector<tw_colorref> colors(static_cast<std::size_t>(rows));
    // The shown bins' values of this frame and of the frame before (the
    // difference scale subtracts them; the same doubles as recomputing the
    // previous frame's value from its copied spectrum).
    std::vector<double> cur(static_cast<std::size_t>(rows)), prv(static_cast<std::size_t>(rows));

    std::fill(w.frm_re, w.frm_re + n, 0.0);
    std::fill(w.frm_im, w.frm_im + n, 0.0);
    const double w_pix = std::trunc(n / in.smpl_per_pix);
    int stripes = 0;
    bool first = true;
    std::int64_t J = in.draw_stt;
    do {
        // Where this frame's stripe goes; the picture ends at the first
        // stripe that would start right of IR - 2.
        const double x0d = in.IL + 3 + std::trunc(static_cast<double>(J - in.draw_stt) / in.smpl_per_pix);
        if (x0d > in.IR - 2) break;
        const int x0 = static_cast<int>(x0d);
        const double x1d = w_pix == 0.0 ? x0 + 1.0 : x0 + w_pix;
        const int x1 = static_cast<int>(std::min<double>(x1d, in.IR - 2));

        // The selected channel of frames J .. J + N - 1, zeros outside the data.
        const std::int64_t k_lo = in.frames != nullptr ? std::clamp<std::int64_t>(-J, 0, n) : n;
        const std::int64_t k_hi =
            in.frames != nullptr ? std::clamp<std::int64_t>(in.data_cnt - J, k_lo, n) : n;
        std::fill(w.frm_re, w.frm_re + k_lo, 0.0);
        for (std::int64_t k = k_lo; k < k_hi; ++k) {
            w.frm_re[k] = static_cast<double>(get_frame_sample(in.frames, J + k, chnl));
        }
        std::fill(w.frm_re + k_hi, w.frm_re + n, 0.0);
        std::fill(w.frm_im, w.frm_im + n, 0.0);
        exec_dft(n, w.frm_re, w.frm_im, w.spc_re, w.spc_im);

        for (int k = 0; k < rows; ++k) {
            const int b = n / 2 - (S + k);
            cur[static_cast<std::size_t>(k)] = bin_value(in.sel.comp, w.spc_re[b], w.spc_im[b]);
        }
        for (int k = 0; k < rows; ++k) {
            const auto i = static_cast<std::size_t>(k);
            if (dif) {
                colors[i] = dif_color(first ? 0.0 : cur[i] - prv[i], lo, hi);
            } else {
                colors[i] = lvl_color(cur[i], lo, hi);
            }
        }
        out(freq_run{x0, x1, in.IT + 3, rows, colors.data()});
        ++stripes;

        cur.swap(prv);
        first = false;
        J += hop;
    } while (J < in.data_cnt);
    // The previous-frame arrays end holding the last frame's spectrum, as
    // they would had every frame been copied there.
    if (stripes > 0) {
        std::copy(w.spc_re, w.spc_re + n, w.prv_re);
        std::copy(w.spc_im, w.spc_im + n, w.prv_im);
    }
    return stripes;
}
