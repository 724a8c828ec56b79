#include "view/input_rules.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// A zoom within 0.1 of 1 becomes exactly 1; then everything that follows
// the zoom is recomputed.
void settle_zoom(view_disp_state& s, double z) {
    if (z > 0.9 && z < 1.1) z = 1.0;
    set_zoom(s, z);
}

}  // namespace

void zoom_in_by(view_disp_state& s, double f) {
    double z = s.zoom;
    if (z * f <= zoom_in_limit) z *= f;
    settle_zoom(s, z);
}

bool zoom_out_by(view_disp_state& s, double f) {
    if (!(s.zoom / f > zoom_out_floor)) return false;
    settle_zoom(s, s.zoom / f);
    return true;
}

zoom_hit hit_zoom(const disp_layout& lay, int x, int y) {
    if (lay.zoom_in_x8.contains(x, y)) return zoom_hit::in8;
    if (lay.zoom_in_btn.contains(x, y)) return zoom_hit::in2;
    if (lay.zoom_out_x8.contains(x, y)) return zoom_hit::out8;
    if (lay.zoom_out_btn.contains(x, y)) return zoom_hit::out2;
    return zoom_hit::none;
}

zoom_result apply_zoom(view_disp_state& s, zoom_hit hit) {
    switch (hit) {
        case zoom_hit::in8:
            zoom_in_by(s, 8.0);
            return zoom_result::repaint;
        case zoom_hit::in2:
            zoom_in_by(s, 2.0);
            return zoom_result::repaint;
        case zoom_hit::out8:
            return zoom_out_by(s, 8.0) ? zoom_result::repaint : zoom_result::refused;
        case zoom_hit::out2:
            return zoom_out_by(s, 2.0) ? zoom_result::repaint : zoom_result::refused;
        case zoom_hit::none:
            break;
    }
    return zoom_result::none;
}

wheel_target wheel_target_at(const disp_layout& lay, int y, bool ctrl) {
    if (ctrl) return wheel_target::zoom;
    return y >= lay.lower_top ? wheel_target::part_list : wheel_target::draw_start;
}

void set_click_mark(view_disp_state& s, int L0, int x) {
    const double off = std::trunc((x - L0) * s.smpl_per_pix);
    const double smpl = std::clamp(static_cast<double>(s.draw_stt) + off, 0.0, static_cast<double>(INT_MAX));
    s.clk_mark.set = 1;
    s.clk_mark.x = x;
    s.clk_mark.smpl = static_cast<int>(smpl);
    s.clk_mark.sec = (x - L0) * s.sec_per_pix + s.draw_stt_sec;
}

int hit_chnl_button(const disp_layout& lay, const view_disp_state& s, int x, int y) {
    const int left = 2 * s.hw - 2;
    if (x < left || x >= left + 2 * s.cw) return 0;
    const int T = lay.lower_top;
    const int l_top = T + s.hh + s.ch - 2;
    const int r_top = T + s.hh + 3 * s.ch - 2;
    if (l_top <= y && y < l_top + s.ch) return 1;
    if (r_top <= y && y < r_top + s.ch) return 2;
    return 0;
}

namespace {

// Position after one scroll-bar action, kept inside min … max. Dragging the
// thumb (thumb_track) moves the position only when follow_track is set;
// otherwise the action gives no position and the caller waits for the release.
std::optional<int> scrolled_pos(sb_code code, int p, int min, int max, int reported, int step, int page,
                                bool follow_track) {
    switch (code) {
        case sb_code::line_up:
            p -= step;
            break;
        case sb_code::line_down:
            p += step;
            break;
        case sb_code::page_up:
            p -= page;
            break;
        case sb_code::page_down:
            p += page;
            break;
        case sb_code::thumb_track:
            if (!follow_track) return std::nullopt;
            p = reported;
            break;
        case sb_code::thumb_position:
            p = reported;
            break;
        case sb_code::top:
            p = min;
            break;
        case sb_code::bottom:
            p = max;
            break;
        case sb_code::end_scroll:
            break;
    }
    return std::clamp(p, min, std::max(min, max));
}

}  // namespace

std::optional<int> vscroll_pos(sb_code code, int p, int min, int max, int reported) {
    return scrolled_pos(code, p, min, max, reported, std::max((max - min) / 20, 1), std::max((max - min) / 4, 1),
                        false);
}

int hscroll_pos(sb_code code, int p, int min, int max, int reported) {
    return *scrolled_pos(code, p, min, max, reported, std::max((max - min) / 1000, 1),
                         std::max((max - min) / 10, 1), true);
}

int first_part_for_pos(int p, int min, int max, int part_cnt, int current) {
    if (max <= min) return current;
    const long long top = static_cast<long long>(p - min) * part_cnt / (max - min);
    return static_cast<int>(std::clamp<long long>(top, 0, std::max(part_cnt - 1, 0)));
}

int draw_stt_for_pos(int p, int min, int max, int data_cnt, int current) {
    if (max <= min) return current;
    // In 64 bits: 10000 positions times a long recording's frame count
    // does not fit 32 bits.
    const long long stt = static_cast<long long>(p - min) * data_cnt / (max - min);
    return static_cast<int>(std::clamp<long long>(stt, 0, INT_MAX));
}
