#include "view/hit_test.h"

bool hit_wave_area(const disp_layout& lay, const view_disp_state& s, int part_cnt, int prt_top, int x,
                   int y) {
    if (lay.orgn_wave.contains(x, y) || lay.copy_wave.contains(x, y)) return true;
    if (s.disp_mode == disp_mode_freq) return lay.spc_inner.contains(x, y);
    const visible_parts v = calc_visible_parts(lay, part_cnt, prt_top, s.H);
    if (v.end <= v.first) return false;
    const view_rect& first = lay.prt_wave[v.first];
    const view_rect& last = lay.prt_wave[v.end - 1];
    const int bottom = last.bottom - v.offset < s.H ? last.bottom - v.offset : s.H;
    return view_rect{first.left, first.top - v.offset, last.right, bottom}.contains(x, y);
}

int hit_part_icon(const disp_layout& lay, const view_disp_state& s, int part_cnt, int prt_top, int x, int y) {
    const visible_parts v = calc_visible_parts(lay, part_cnt, prt_top, s.H);
    for (int i = v.first; i < v.end; ++i) {
        const int left = s.hw + lay.prt_outer[i].left;
        const int top = lay.prt_outer[i].top - v.offset + 3 * s.ch + s.hh;
        if (view_rect{left, top, left + 2 * s.cw, top + s.ch}.contains(x, y)) return i;
    }
    return -1;
}

int hit_part_title(const disp_layout& lay, const view_disp_state& s, int part_cnt, int prt_top, int x,
                   int y) {
    const visible_parts v = calc_visible_parts(lay, part_cnt, prt_top, s.H);
    for (int i = v.first; i < v.end; ++i) {
        const int left = lay.prt_outer[i].left;
        const int top = lay.prt_outer[i].top - v.offset;
        if (view_rect{left, top, left + 13 * s.cw, top + s.ch}.contains(x, y)) return i;
    }
    return -1;
}

int hit_fn_button(const disp_layout& lay, const view_disp_state& s, int x, int y) {
    const int left = lay.L0 - 8 * s.cw;
    const int right = lay.L0 - 2 * s.cw;
    const int orgn_top = lay.orgn_pane_L.bottom - s.hh;
    const int copy_top = lay.copy_pane_L.bottom - s.hh;
    if (view_rect{left, orgn_top, right, orgn_top + s.ch}.contains(x, y)) return 1;
    if (view_rect{left, copy_top, right, copy_top + s.ch}.contains(x, y)) return 2;
    return 0;
}
