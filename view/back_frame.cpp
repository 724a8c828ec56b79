#include "view/back_frame.h"

#include <algorithm>

#include "view/part_icons.h"

void draw_box1(draw_ctx* dc, int x, int y, int w, int h, rgb fill) {
    draw_box(dc, x, y, w, h, 1, fill, vc::light, vc::dark);
}

void draw_label(draw_ctx* dc, int col, int row, const char* text, rgb fg, rgb bg) {
    set_text_color(dc, fg);
    set_back_color(dc, bg);
    text_out_cell(dc, col, row, text);
}

void draw_chnl_boxes(draw_ctx* dc, const view_disp_state& st, const view_rect& pane, const char* label) {
    const int cw = st.cw, ch = st.ch, hw = st.hw, hh = st.hh;
    draw_box1(dc, pane.left - 10 * cw, pane.top, 6 * cw, pane.height(), vc::chnl_lbl);
    draw_box1(dc, pane.left - 4 * cw, pane.top, 4 * cw, pane.height(), vc::column);
    if (pane.height() > 0) {
        draw_label(dc, (pane.left - 9 * cw - hw + 1) / cw, (pane.top + ch + hh + 1) / ch, label, vc::white,
                   vc::chnl_lbl);
    }
}

void draw_ruler_and_panes(draw_ctx* dc, const view_disp_state& st, const view_rect& wave,
                          const view_rect& pane_L, const view_rect& pane_R, int s) {
    const int ch = st.ch;
    draw_box1(dc, wave.left, wave.top - 2 * ch - s, wave.width(), 2 * ch, vc::lt_grey);
    for (const view_rect* p : {&pane_L, &pane_R}) {
        draw_box(dc, p->left, p->top - s, p->width(), p->height(), 2, vc::pane, vc::light, vc::dark);
    }
}

void fill_list_rest(draw_ctx* dc, const paint_scene& sc, int next_top) {
    const view_disp_state& st = sc.st;
    const int right = sc.lay.prt_scroll.left - 1;
    draw_line_rect(dc, st.hw, next_top, right, sc.lay.lower_bottom, vc::lt_grey, 2);
    if (sc.lay.lower_bottom + 1 <= st.H) {
        draw_line_rect(dc, st.hw, sc.lay.lower_bottom + 1, right, st.H, vc::back, 2);
    }
}

namespace {

// Title, box under it, channel boxes of one part row (shifted up by s).
void draw_part_row_frame(draw_ctx* dc, const paint_scene& sc, int i, int s) {
    const view_disp_state& st = sc.st;
    const disp_layout& lay = sc.lay;
    const int cw = st.cw, ch = st.ch;
    const view_rect& o = lay.prt_outer[i];
    const int top = o.top - s;
    draw_box1(dc, o.left, top, 13 * cw, 2 * ch, vc::title);
    // The box under the title stays inside the part's own rows.
    draw_box1(dc, o.left, top + 2 * ch, 3 * cw, std::min(8 * ch, o.height() - 2 * ch), vc::under_title);
    view_rect pl = lay.prt_pane_L[i], pr = lay.prt_pane_R[i];
    pl.top -= s;
    pl.bottom -= s;
    pr.top -= s;
    pr.bottom -= s;
    draw_chnl_boxes(dc, st, pl, "Left ");
    draw_chnl_boxes(dc, st, pr, "Right");
}

}  // namespace

void draw_back_frame_boxes(draw_ctx* dc, paint_scene& sc) {
    view_disp_state& st = sc.st;
    const disp_layout& lay = sc.lay;
    const int cw = st.cw, ch = st.ch, hw = st.hw, hh = st.hh, W = st.W, H = st.H;
    const bool has_parts = sc.part_cnt() > 0;
    const bool freq = st.disp_mode == disp_mode_freq;

    // 1. Background; a full repaint forgets the click mark.
    draw_line_rect(dc, 0, 0, W - 1, H - 1, vc::back, 2);
    st.clk_mark = pos_mark{};

    // 2. Header boxes.
    for (const view_rect* b : {&lay.zoom_in_btn, &lay.zoom_out_btn}) {
        draw_box(dc, b->left, b->top, b->width(), b->height(), 2, vc::zoom_btn, vc::light, vc::dark);
    }
    draw_box1(dc, hw + 18 * cw, hh, 7 * cw, 2 * ch, vc::zoom_lbl);
    draw_box1(dc, hw + 34 * cw, hh, 13 * cw, 2 * ch, vc::title);
    draw_box1(dc, W - hw - 22 * cw, hh, 13 * cw, 2 * ch, vc::start_lbl);

    // 3. Original area.
    draw_box1(dc, hw, hh + 2 * ch, 13 * cw, 2 * ch, vc::title);
    draw_box1(dc, hw, hh + 4 * ch, 3 * cw, 8 * ch, vc::under_title);
    draw_box1(dc, W - hw - 3 * cw, hh + 2 * ch, 3 * cw, 2 * ch, vc::column);
    draw_box1(dc, W - hw - 3 * cw, hh + 4 * ch, 3 * cw, 10 * ch, vc::column);
    draw_chnl_boxes(dc, st, lay.orgn_pane_L, "Left ");
    draw_chnl_boxes(dc, st, lay.orgn_pane_R, "Right");

    // 4. Play-button panel and the box behind the scroll line.
    draw_box1(dc, hw, hh + 12 * ch, 13 * cw, 2 * ch, vc::play_panel);
    draw_box1(dc, lay.scroll_line.left, lay.scroll_line.top, lay.scroll_line.width(),
              lay.scroll_line.height(), vc::column);

    // 5. Copy area; its title turns blue once there are parts (it then shows their mix).
    draw_box1(dc, hw, hh + 14 * ch, 13 * cw, 2 * ch, has_parts ? vc::mix_title : vc::title);
    draw_box1(dc, hw, hh + 16 * ch, 3 * cw, 8 * ch, vc::under_title);
    draw_box1(dc, W - hw - 3 * cw, hh + 14 * ch, 3 * cw, 2 * ch, vc::column);
    draw_box1(dc, W - hw - 3 * cw, hh + 16 * ch, 3 * cw, 8 * ch, vc::column);
    draw_chnl_boxes(dc, st, lay.copy_pane_L, "Left ");
    draw_chnl_boxes(dc, st, lay.copy_pane_R, "Right");

    // 6. Lower area.
    const visible_parts vis = sc.visible();
    if (freq) {
        const view_rect& o = lay.spc_outer;
        const view_rect& in = lay.spc_inner;
        draw_box1(dc, o.left, o.top, 13 * cw, o.height(), vc::lt_grey);
        draw_box(dc, in.left, in.top, in.width(), in.height(), 2, vc::black, vc::light, vc::dark);
    } else {
        if (has_parts && hh + 25 * ch < H - 4 * ch) {
            const view_rect& b = lay.prt_scroll;
            draw_box1(dc, b.left, b.top, b.width(), b.height(), vc::column);
        }
        for (int i = vis.first; i < vis.end; ++i) draw_part_row_frame(dc, sc, i, vis.offset);
        if (has_parts && vis.next_top < H) fill_list_rest(dc, sc, vis.next_top);
    }

    // 7. Value boxes, ruler boxes and panes, part icons.
    draw_box1(dc, hw + 25 * cw, hh, 9 * cw, 2 * ch, vc::lt_grey);
    draw_box1(dc, hw + 47 * cw, hh, W - 2 * hw - 69 * cw, 2 * ch, vc::lt_grey);
    draw_box1(dc, W - hw - 9 * cw, hh, 9 * cw, 2 * ch, vc::lt_grey);
    draw_ruler_and_panes(dc, st, lay.orgn_wave, lay.orgn_pane_L, lay.orgn_pane_R, 0);
    draw_ruler_and_panes(dc, st, lay.copy_wave, lay.copy_pane_L, lay.copy_pane_R, 0);
    if (!freq) {
        for (int i = vis.first; i < vis.end; ++i) {
            draw_ruler_and_panes(dc, st, lay.prt_wave[i], lay.prt_pane_L[i], lay.prt_pane_R[i], vis.offset);
        }
        draw_part_icon(dc, sc);
    }

    // 8. Fixed labels, white on their boxes.
    const int hdr_row = (2 * hh + 1) / ch;
    draw_label(dc, (cw + 2 * hw + 1) / cw, hdr_row, "拡大▲", vc::white, vc::zoom_btn);
    draw_label(dc, (10 * cw + 2 * hw + 1) / cw, hdr_row, "縮小▼", vc::white, vc::zoom_btn);
    draw_label(dc, (hw + 18 * cw + hw + 1) / cw, hdr_row, "拡大率", vc::white, vc::zoom_lbl);
    draw_label(dc, (hw + 34 * cw + hw + 1) / cw, hdr_row, "データサイズ", vc::white, vc::title);
    draw_label(dc, (W - hw - 21 * cw - hw + 1) / cw, hdr_row, "描画開始位置", vc::white, vc::start_lbl);
    draw_label(dc, (hw + cw + hw + 1) / cw, (hh + 2 * ch + hh + 1) / ch, "オリジナル", vc::white, vc::title);
    const int copy_row = (hh + 14 * ch + hh + 1) / ch;
    if (has_parts) {
        draw_label(dc, (cw + 2 * hw + 1) / cw, copy_row, "各ﾊﾟｰﾄのMix", vc::white, vc::mix_title);
    } else {
        draw_label(dc, (2 * hw + 1) / cw, copy_row, "ｵﾘｼﾞﾅﾙのｺﾋﾟｰ", vc::white, vc::title);
    }
}
