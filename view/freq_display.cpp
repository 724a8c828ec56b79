#include "view/freq_display.h"

#include <algorithm>
#include <cstdio>

#include "app/sys_param.h"
#include "view/back_frame.h"

namespace {

// One channel button: a style-2 box 2cw + 4 by ch + 4 from (OL + hw - 2,
// top - 2), label in the cell of (OL + hw, top). Pressed: green, dark grey
// top-left edge, white bottom-right edge, black label; released: the pane
// colour with the edges the other way round and a white label.
void draw_chnl_btn(draw_ctx* dc, const view_disp_state& st, int OL, int top, const char* label,
                   bool pressed) {
    const rgb fill = pressed ? vc::pressed : vc::pane;
    const rgb light = pressed ? vc::dark : vc::light;
    const rgb dark = pressed ? vc::light : vc::dark;
    draw_box(dc, OL + st.hw - 2, top - 2, 2 * st.cw + 4, st.ch + 4, 2, fill, light, dark);
    draw_label(dc, (OL + st.hw) / st.cw, top / st.ch, label, pressed ? vc::black : vc::white, fill);
}

}  // namespace

void put_freq_run(QImage& img, const freq_run& run) {
    if (img.depth() != 32) return;
    const int xa = std::max(run.x0, 0);
    const int xb = std::min(run.x1, img.width());
    if (xa >= xb) return;
    const int ya = std::max(run.y0, 0);
    const int yb = std::min(run.y0 + run.rows, img.height());
    if (ya >= yb) return;
    uchar* bits = img.bits();
    const qsizetype stride = img.bytesPerLine();
    for (int y = ya; y < yb; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bits + stride * y);
        std::fill(line + xa, line + xb, qrgb_of(run.colors[y - run.y0]));
    }
}

void freq_stripe_writer::add(const freq_run& run) {
    if (has_) {
        // The new stripe covers the same rows from a column at or right of
        // the pending one's start to a column at or right of its end: the
        // pending stripe only keeps what lies left of the new one.
        if (run.y0 == pending_.y0 && run.rows == pending_.rows && run.x0 >= pending_.x0 &&
            run.x1 >= pending_.x1) {
            pending_.x1 = std::min(pending_.x1, run.x0);
        }
        put_freq_run(img_, pending_);
    }
    colors_.assign(run.colors, run.colors + std::max(run.rows, 0));
    pending_ = run;
    pending_.colors = colors_.data();
    has_ = true;
}

void freq_stripe_writer::flush() {
    if (has_) put_freq_run(img_, pending_);
    has_ = false;
}

void draw_freq_data(draw_ctx* dc, paint_scene& sc) {
    if (dc == nullptr || sc.st.disp_mode != disp_mode_freq) return;
    const view_disp_state& st = sc.st;
    const view_rect& o = sc.lay.spc_outer;
    const view_rect& in = sc.lay.spc_inner;
    const int cw = st.cw, ch = st.ch, hw = st.hw, hh = st.hh;
    const freq_sel sel = sc.freq != nullptr ? sc.freq->sel : freq_sel{};

    // 1. The label column and the black picture area.
    draw_box1(dc, o.left, o.top, 13 * cw, o.height(), vc::lt_grey);
    draw_box(dc, in.left, in.top, in.width(), in.height(), 2, vc::black, vc::light, vc::dark);

    // 2. Channel buttons.
    draw_chnl_btn(dc, st, o.left, o.top + ch + hh, "Ｌ", sel.chnl == 1);
    draw_chnl_btn(dc, st, o.left, o.top + 3 * ch + hh, "Ｒ", sel.chnl == 2);

    // 3. First shown bin row of a short area.
    const int S = sc.freq != nullptr ? freq_scroll_ofs(*sc.freq, in.height()) : 0;

    // 4. Frequency labels, black on light grey, each with a line to the picture.
    set_text_color(dc, vc::black);
    set_back_color(dc, vc::lt_grey);
    for (const freq_label& l : freq_labels(in.top, in.bottom, S, freq_frm_len, ch)) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "%5dHz", l.hz);
        text_out_pix(dc, in.left - 9 * cw - hw, l.y - hh, buf);
        draw_line_rect(dc, in.left - 2 * cw - hw, l.y, in.left - 2, l.y, vc::black, 0);
    }

    // 5, 6. The frames, straight into the image.
    if (sc.freq == nullptr || sc.freq->work == nullptr) return;
    freq_frames_in fi;
    fi.frames = sc.doc != nullptr ? sc.doc->mdfy_dt : nullptr;
    fi.data_cnt = fi.frames != nullptr ? st.data_cnt : 0;
    fi.draw_stt = st.draw_stt;
    fi.smpl_per_pix = st.smpl_per_pix;
    fi.sel = sel;
    fi.full_scale = sys_param.set_prm1;
    fi.IL = in.left;
    fi.IT = in.top;
    fi.IR = in.right;
    fi.IB = in.bottom;
    fi.S = S;
    freq_stripe_writer out(dc->image());
    run_freq_frames(fi, engine_freq_work(*sc.freq->work), [&out](const freq_run& r) { out.add(r); });
    out.flush();
}
