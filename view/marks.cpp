#include "view/marks.h"

#include <cmath>

smpl_range visible_smpl_range(const view_disp_state& s, const view_rect& pane) {
    const double span = std::trunc((pane.right - pane.left - 1) * s.smpl_per_pix);
    return {s.draw_stt, s.draw_stt + static_cast<std::int64_t>(span)};
}

int mark_column(const view_disp_state& s, const view_rect& pane, std::int64_t smpl) {
    if (!(s.smpl_per_pix > 0.0)) return pane.left;
    return pane.left + static_cast<int>(std::trunc((smpl - s.draw_stt) / s.smpl_per_pix));
}

std::vector<line_seg> ext_mark_lines(int x, bool is_start, const view_rect& pane_L, const view_rect& wave) {
    std::vector<line_seg> out;
    const int second = is_start ? x + 1 : x - 1;
    for (int lx : {x, second}) {
        if (pane_L.left <= lx && lx < pane_L.right) out.push_back({lx, wave.top + 1, lx, wave.bottom - 1});
    }
    const int m = pane_L.bottom;  // border between the left and the right channel
    if (is_start) {
        if (x + 1 >= pane_L.left && x + 6 <= pane_L.right) {
            for (int i = 0; i <= 3; ++i) {
                out.push_back({x + 1, m + i - 6, x - i + 6, m});
                out.push_back({x - i + 6, m, x + 1, m - i + 6});
            }
        }
    } else {
        if (x - 6 >= pane_L.left && x - 1 <= pane_L.right) {
            for (int i = 0; i <= 3; ++i) {
                out.push_back({x - 1, m + i - 6, x + i - 6, m});
                out.push_back({x + i - 6, m, x - 1, m - i + 6});
            }
        }
    }
    return out;
}
