#include "view/view_state.h"

void set_char_cell(view_disp_state& s, int avg_char_w, int char_h_with_leading) {
    s.cw = avg_char_w > 0 ? avg_char_w : fallback_cw;
    s.ch = char_h_with_leading > 0 ? char_h_with_leading : fallback_ch;
    s.hw = s.cw / 2;
    s.hh = s.ch / 2;
}

void calc_ruler_dens(view_disp_state& s) {
    // Pixels per hundredth of a second, measured in character widths.
    if (s.cw <= 0 || s.sec_per_pix <= 0.0) {
        s.ruler_dens = 0.0;
        return;
    }
    s.ruler_dens = 1.0 / (s.sec_per_pix * 100.0) / s.cw;
}

void set_zoom(view_disp_state& s, double zoom) {
    s.zoom = zoom;
    s.smpl_per_pix = 1.0 / zoom;
    s.sec_per_pix = s.smpl_per_pix / view_rate;
    calc_ruler_dens(s);
}
