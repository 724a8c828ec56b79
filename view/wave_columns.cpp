#include "view/wave_columns.h"

#include <algorithm>
#include <cmath>

wave_run buffer_wave_source::run_at(std::int64_t idx) const {
    if (frames_ == nullptr || idx < 0 || idx >= data_cnt_) return {};
    return {frames_ + 4 * idx + 2 * chnl_, data_cnt_ - idx};
}

wave_run part_wave_source::run_at(std::int64_t idx) const {
    if (rec_ == nullptr || frames_ == nullptr) return {};
    const bool left = chnl_ == 0;
    for (int r = 0; r < rec_cnt_; ++r) {
        const msc_prt_inf_t& rec = rec_[r];
        const std::int64_t stt = left ? rec.stt_orgn_L : rec.stt_orgn_R;
        const std::int64_t end = stt + (left ? rec.data_cnt_L : rec.data_cnt_R);  // inclusive
        if (idx < stt || idx > end) continue;
        // The first covering record decides; an offset outside the buffer
        // (a damaged record) covers nothing.
        const std::int64_t ofs = (left ? rec.stt_ofs_L : rec.stt_ofs_R) + (idx - stt);
        if (ofs < 0 || ofs >= cap_) return {};
        return {frames_ + 4 * ofs + 2 * chnl_, std::min(end - idx + 1, cap_ - ofs)};
    }
    return {};
}

int wave_y(const view_rect& pane, int v) {
    const int mid = pane.top + (pane.bottom - pane.top) / 2;
    const std::int64_t amp = (pane.bottom - pane.top) / 2 - 1;
    const std::int64_t y = mid - amp * v / 32768;  // C++ division truncates toward zero
    return static_cast<int>(std::clamp<std::int64_t>(y, pane.top, pane.bottom));
}

int plan_wave_pane(const view_rect& pane, const wave_source& src, std::int64_t draw_stt,
                   std::int64_t data_cnt, double smpl_per_pix, const wave_line_fn& line) {
    if (!(smpl_per_pix > 0.0)) return 0;
    const bool part = src.is_part();

    // The carried value starts as the sample at the drawing start (0 where nothing covers it).
    int carry = 0;
    if (const wave_run r0 = src.run_at(draw_stt); r0.n > 0) carry = r0.at(0);

    int columns = 0;
    const int width = pane.right - pane.left;
    if (smpl_per_pix > 1.0) {
        const std::int64_t n = static_cast<std::int64_t>(smpl_per_pix);
        for (int i = 1; i < width - 2; ++i) {
            const std::int64_t idx = column_frame(draw_stt, smpl_per_pix, i);
            if (idx < 0 || idx >= data_cnt) break;
            ++columns;
            const wave_run run = src.run_at(idx);
            if (run.n <= 0) continue;  // a part with no record here: empty column
            const std::int64_t cnt = std::min({n, run.n, data_cnt - idx});
            int lo = part ? 32767 : carry;
            int hi = part ? -32767 : carry;
            for (std::int64_t j = 0; j < cnt; ++j) {
                const int v = run.at(j);
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
            if (!part) carry = run.at(cnt - 1);
            const int y1 = wave_y(pane, lo);
            int y2 = wave_y(pane, hi);
            if (y2 == y1) y2 = y1 + 1;
            line(pane.left + i + 1, y1, pane.left + i + 1, y2);
        }
    } else {
        for (int i = 1; i < width - 2; ++i) {
            const std::int64_t idx = column_frame(draw_stt, smpl_per_pix, i);
            if (idx < 0 || idx >= data_cnt) break;
            ++columns;
            const wave_run run = src.run_at(idx);
            const int v = run.n > 0 ? run.at(0) : 0;
            line(pane.left + i, wave_y(pane, carry), pane.left + i + 1, wave_y(pane, v));
            carry = v;
        }
    }
    return columns;
}
