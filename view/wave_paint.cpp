#include "view/wave_paint.h"

#include <algorithm>
#include <string>

#include "app/err_log.h"
#include "platform/sjis.h"
#include "view/back_frame.h"
#include "view/freq_display.h"
#include "view/header_text.h"
#include "view/marks.h"
#include "view/part_icons.h"
#include "view/ruler_paint.h"
#include "view/wave_columns.h"
#include "view/wave_summary.h"

namespace {

void put_texts(draw_ctx* dc, const std::vector<cell_text>& texts) {
    set_text_color(dc, vc::black);
    set_back_color(dc, vc::lt_grey);
    for (const cell_text& t : texts) text_out_cell(dc, t.col, t.row, t.text.c_str());
}

void paint_pane(draw_ctx* dc, const paint_scene& sc, const view_rect& pane, const wave_source& src, rgb c) {
    if (pane.height() <= 0) return;
    line_batch lines(dc, c);
    plan_wave_pane(pane, src, sc.st.draw_stt, sc.st.data_cnt, sc.st.smpl_per_pix,
                   [&lines](int x1, int y1, int x2, int y2) { lines.line(x1, y1, x2, y2); });
}

// Ruler box, panes, the one-cell function button, ruler and both channels of
// a recording buffer (the original or the working copy).
void draw_buffer_area(draw_ctx* dc, paint_scene& sc, const view_rect& wave, const view_rect& pane_L,
                      const view_rect& pane_R, const unsigned char* frames, wave_summary* sum) {
    const view_disp_state& st = sc.st;
    draw_ruler_and_panes(dc, st, wave, pane_L, pane_R, 0);
    // Yellow button at the border of the two channel rows: restore (original)
    // or centre cancel (copy).
    draw_box1(dc, pane_L.left - 7 * st.cw - st.hw, pane_L.bottom - st.hh, st.cw, st.ch, vc::restore_btn);
    draw_time_scale(dc, sc, wave, 0);
    if (frames == nullptr) return;
    paint_pane(dc, sc, pane_L, buffer_wave_source(frames, st.data_cnt, 0, sum), vc::wave);
    paint_pane(dc, sc, pane_R, buffer_wave_source(frames, st.data_cnt, 1, sum), vc::wave);
}

view_rect shifted(view_rect r, int s) {
    r.top -= s;
    r.bottom -= s;
    return r;
}

}  // namespace

void draw_original_wave(draw_ctx* dc, paint_scene& sc) {
    if (dc == nullptr) return;
    const unsigned char* frames = sc.doc != nullptr ? sc.doc->orgn_dt : nullptr;
    wave_summary* sum = sc.sums != nullptr ? sc.sums->original(frames, sc.st.data_cnt) : nullptr;
    draw_buffer_area(dc, sc, sc.lay.orgn_wave, sc.lay.orgn_pane_L, sc.lay.orgn_pane_R, frames, sum);
}

void draw_copy_wave(draw_ctx* dc, paint_scene& sc) {
    if (dc == nullptr) return;
    const unsigned char* frames = sc.doc != nullptr ? sc.doc->mdfy_dt : nullptr;
    wave_summary* sum = sc.sums != nullptr ? sc.sums->copy(frames, sc.st.data_cnt) : nullptr;
    draw_buffer_area(dc, sc, sc.lay.copy_wave, sc.lay.copy_pane_L, sc.lay.copy_pane_R, frames, sum);
}

void draw_part_wave(draw_ctx* dc, paint_scene& sc) {
    if (dc == nullptr) return;
    if (sc.st.disp_mode == disp_mode_freq) {
        draw_freq_data(dc, sc);
        return;
    }
    view_disp_state& st = sc.st;
    const disp_layout& lay = sc.lay;
    const int cw = st.cw, ch = st.ch, hw = st.hw, hh = st.hh;
    if (sc.part_cnt() == 0) {
        draw_line_rect(dc, hw, lay.lower_top + 1, st.W - hw, st.H, vc::back, 2);
        return;
    }
    const visible_parts vis = sc.visible();
    const int s = vis.offset;
    for (int i = vis.first; i < vis.end; ++i) {
        const view_rect& o = lay.prt_outer[i];
        const int top = o.top - s;
        draw_box1(dc, o.left, top, 13 * cw, 2 * ch, vc::title);
        if (sc.doc != nullptr) {
            const std::string name =
                cp932_to_utf8(std::string_view(sc.doc->prt_name[i], bounded_strlen(sc.doc->prt_name[i], 14)));
            draw_label(dc, (o.left + cw + hw + 1) / cw, (top + hh + 1) / ch, name.c_str(), vc::white,
                       vc::title);
        }
        draw_box1(dc, o.left, top + 2 * ch, 3 * cw, std::min(8 * ch, o.height() - 2 * ch), vc::under_title);
        const view_rect pl = shifted(lay.prt_pane_L[i], s);
        const view_rect pr = shifted(lay.prt_pane_R[i], s);
        draw_chnl_boxes(dc, st, pl, "Left ");
        draw_chnl_boxes(dc, st, pr, "Right");
        draw_ruler_and_panes(dc, st, lay.prt_wave[i], lay.prt_pane_L[i], lay.prt_pane_R[i], s);
        draw_time_scale(dc, sc, lay.prt_wave[i], s);

        // The part's samples, reached only through its info records.
        const CTonewarpDoc* d = sc.doc;
        if (d == nullptr || i >= d->intPart_Cnt) continue;
        const int recs = std::clamp(d->intPart_Inf_Cnt[i], 0, prt_inf_rec_cnt);
        const std::int64_t cap = std::max<std::int64_t>(d->wv_temp_dt_size[i], 0) / 4;
        const unsigned char* wave = d->h_Mem_wv_temp_dt[i];
        wave_summary* sum = sc.sums != nullptr ? sc.sums->part(i, wave, cap) : nullptr;
        for (int c = 0; c < 2; ++c) {
            const part_wave_source src(d->h_Mem_msc_prt_inf[i], recs, wave, cap, c, sum);
            paint_pane(dc, sc, c == 0 ? pl : pr, src, vc::part_wave);
        }
    }
    if (vis.next_top < st.H) fill_list_rest(dc, sc, vis.next_top);
}

void draw_ext_mark(draw_ctx* dc, paint_scene& sc) {
    if (dc == nullptr) return;
    view_disp_state& st = sc.st;
    const view_rect& pane = sc.lay.orgn_pane_L;
    const smpl_range vis = visible_smpl_range(st, pane);
    for (pos_mark* m : {&st.stt_mark, &st.end_mark}) {
        if (m->set != 1 || !vis.contains(m->smpl)) continue;  // keeps its last column
        m->x = mark_column(st, pane, m->smpl);
        for (const line_seg& l : ext_mark_lines(m->x, m == &st.stt_mark, pane, sc.lay.orgn_wave)) {
            draw_line_rect(dc, l.x1, l.y1, l.x2, l.y2, vc::ext_mark, 0);
        }
    }
}

void draw_clk_cursor(draw_ctx* dc, paint_scene& sc) {
    if (dc == nullptr) return;
    view_disp_state& st = sc.st;
    const disp_layout& lay = sc.lay;
    if (st.clk_mark.set != 1) return;
    if (!visible_smpl_range(st, lay.orgn_pane_L).contains(st.clk_mark.smpl)) return;
    const int x = mark_column(st, lay.orgn_pane_L, st.clk_mark.smpl);
    st.clk_mark.x = x;
    auto through = [&](const view_rect& r, int inset) {
        draw_line_rect_xor(dc, x, r.top + inset, x, r.bottom - inset, vc::clk_cursor, 0);
    };
    through(lay.orgn_wave, 1);
    through(lay.copy_wave, 1);
    if (st.disp_mode == disp_mode_freq) {
        through(lay.spc_inner, 3);
    } else {
        const visible_parts vis = sc.visible();
        for (int i = vis.first; i < vis.end; ++i) {
            if (lay.prt_wave[i].height() > 0) through(shifted(lay.prt_wave[i], vis.offset), 1);
        }
    }
}

void draw_clk_pos(draw_ctx* dc, paint_scene& sc) {
    if (dc == nullptr) return;
    draw_clk_cursor(dc, sc);
    const view_disp_state& st = sc.st;
    if (st.clk_mark.set == 1) {
        put_texts(dc, pos_label_texts(st, copy_width(sc), "ｸﾘｯｸ位置=", st.clk_mark.smpl, log_tracing()));
    } else {
        put_texts(dc, pos_label_clear(st, copy_width(sc)));
    }
}

void draw_all_data(draw_ctx* dc, paint_scene& sc) {
    if (dc == nullptr) return;
    put_texts(dc, header_value_texts(sc.st, copy_width(sc)));
    draw_original_wave(dc, sc);
    draw_copy_wave(dc, sc);
    draw_ext_mark(dc, sc);
    draw_part_wave(dc, sc);  // the spectrum in frequency mode
    if (sc.st.disp_mode != disp_mode_freq) draw_part_icon(dc, sc);
    draw_clk_pos(dc, sc);
}
