#include "view/layout.h"

#include <algorithm>

void set_disp_rect(disp_layout& lay, int cw, int ch, int W, int H, int disp_mode, const int* prt_disp_flg) {
    const int hw = cw / 2;
    const int hh = ch / 2;
    const int L0 = hw + 13 * cw;
    const int R0 = W - hw - 3 * cw;
    lay.L0 = L0;
    lay.R0 = R0;

    // Header line.
    lay.zoom_in_btn = {hw, hh, hw + 9 * cw, hh + 2 * ch};
    lay.zoom_in_x8 = {6 * cw, ch, 8 * cw, 2 * ch};
    lay.zoom_out_btn = {hw + 9 * cw, hh, hw + 18 * cw, hh + 2 * ch};
    lay.zoom_out_x8 = {15 * cw, ch, 17 * cw, 2 * ch};

    // Original: title rows 2..3, ruler rows 2..3 above the panes, panes rows 4..11.
    lay.orgn_area = {hw, hh + 2 * ch, W - hw, hh + 12 * ch};
    lay.orgn_wave = {L0, hh + 4 * ch, R0, hh + 12 * ch};
    lay.orgn_pane_L = {L0, hh + 4 * ch, R0, hh + 8 * ch};
    lay.orgn_pane_R = {L0, hh + 8 * ch, R0, hh + 12 * ch};

    // Control line: the scroll line and the four play buttons (3 pixels of margin around two cells).
    lay.scroll_line = {L0, hh + 12 * ch, R0, hh + 14 * ch};
    for (int b = 0; b < 4; ++b) {
        const int c0 = 2 + 3 * b;  // button b spans cells c0 .. c0 + 2
        lay.play_btn[b] = {c0 * cw - 3, 2 * hh + 12 * ch - 3, (c0 + 2) * cw + 3, 2 * hh + 13 * ch + 3};
    }

    // Copy of the original (or the mix after extraction).
    lay.copy_area = {hw, hh + 14 * ch, W - hw, hh + 24 * ch};
    lay.copy_wave = {L0, hh + 16 * ch, R0, hh + 24 * ch};
    lay.copy_pane_L = {L0, hh + 16 * ch, R0, hh + 20 * ch};
    lay.copy_pane_R = {L0, hh + 20 * ch, R0, hh + 24 * ch};

    // Lower area: the part list fills the window; the spectrum takes exactly
    // its rows when there is room for them and what there is otherwise.
    const int T = hh + 24 * ch;
    int bottom = H - hh;
    lay.spc_tall = false;
    if (disp_mode == disp_mode_freq && H - hh - T > spc_rows) {
        bottom = T + spc_rows;
        lay.spc_tall = true;
    }
    lay.lower_top = T;
    lay.lower_bottom = bottom;
    lay.prt_scroll = {R0, T, W - hw, bottom};
    lay.spc_outer = {hw, T, W - hw, bottom};
    lay.spc_inner = {L0, T, R0, bottom};

    // Part rows one under the other: 10 rows expanded, 2 (the title) collapsed.
    int top = T;
    for (int i = 0; i < view_part_slots; ++i) {
        const bool expanded = prt_disp_flg == nullptr || prt_disp_flg[i] == 1;
        const int height = expanded ? 10 * ch : 2 * ch;
        lay.prt_outer[i] = {hw, top, R0, top + height};
        lay.prt_wave[i] = {L0, top + 2 * ch, R0, top + height};
        if (expanded) {
            lay.prt_pane_L[i] = {L0, top + 2 * ch, R0, top + 6 * ch};
            lay.prt_pane_R[i] = {L0, top + 6 * ch, R0, top + 10 * ch};
        } else {
            lay.prt_pane_L[i] = {L0, top + 2 * ch, R0, top + 2 * ch};
            lay.prt_pane_R[i] = {L0, top + 2 * ch, R0, top + 2 * ch};
        }
        top += height;
    }
}

void set_disp_rect(disp_layout& lay, const view_disp_state& s, const int* prt_disp_flg) {
    set_disp_rect(lay, s.cw, s.ch, s.W, s.H, s.disp_mode, prt_disp_flg);
}

int part_scroll_offset(const disp_layout& lay, int prt_top) {
    const int i = std::clamp(prt_top, 0, view_part_slots - 1);
    return lay.prt_outer[i].top - lay.prt_outer[0].top;
}

visible_parts calc_visible_parts(const disp_layout& lay, int part_cnt, int prt_top, int H) {
    visible_parts v;
    const int cnt = std::clamp(part_cnt, 0, view_part_slots);
    v.first = std::clamp(prt_top, 0, view_part_slots - 1);
    v.offset = part_scroll_offset(lay, v.first);
    int i = v.first;
    while (i < cnt && lay.prt_outer[i].top - v.offset < H) ++i;
    v.end = i;
    // Where the row after the last painted one would start; past the last
    // slot the list simply ends below the last part.
    if (v.end < view_part_slots) {
        v.next_top = lay.prt_outer[v.end].top - v.offset;
    } else {
        v.next_top = lay.prt_outer[view_part_slots - 1].bottom - v.offset;
    }
    return v;
}
