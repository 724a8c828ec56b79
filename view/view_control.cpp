#include "view/view_control.h"

#include <algorithm>
#include <string>

#include "app/gui/command_ids.h"
#include "app/gui/ext_param_dlg.h"
#include "app/gui/main_frame.h"
#include "app/gui/message_box.h"
#include "document/tonewarp_doc.h"
#include "platform/sound_out_sdl.h"
#include "view/back_frame.h"
#include "view/play_btn.h"
#include "view/time_format.h"
#include "view/tonewarp_view.h"
#include "view/wave_paint.h"

namespace {

int item_command(extr_item item) {
    switch (item) {
        case extr_item::extract:
            return cmd::ID_EXTRACT;
        case extr_item::stt_mark:
            return cmd::ID_EXT_START;
        case extr_item::end_mark:
            return cmd::ID_EXT_END;
    }
    return 0;
}

}  // namespace

view_control::view_control(CTonewarpView& view)
    : v_(view), ctl_(view.disp(), view.extr(), view.GetDocument(), *this) {}

view_control::~view_control() { close_output(); }

int view_control::open_output() {
    const CTonewarpDoc* doc = v_.GetDocument();
    // SDL's default output device stands for device 0.
    return pb_.open_output(make_sdl_sound_out(), doc != nullptr ? doc->wv_fmt_dt : nullptr);
}

void view_control::close_output() { pb_.close_output(); }

bool view_control::on_command(int id) {
    switch (id) {
        case cmd::ID_EXTRACT:
            ctl_.on_extract();
            return true;
        case cmd::ID_EXT_START:
            ctl_.on_mark(ext_mark_kind::start);
            return true;
        case cmd::ID_EXT_END:
            ctl_.on_mark(ext_mark_kind::end);
            return true;
        case cmd::ID_EXT_PARAM: {
            // The dialog reads and stores the settings block itself.
            CExtParamDlg dlg(v_.window());
            dlg.exec();
            return true;
        }
        default:
            return false;
    }
}

play_source view_control::source() {
    const CTonewarpDoc* doc = v_.GetDocument();
    const extr_state& ex = v_.extr();
    if (doc == nullptr) return {};
    return {doc->mdfy_dt, doc->mdfy_dt != nullptr ? doc->frame_count() : 0, ex.anlz_stt_ptr, ex.anlz_len};
}

play_geom view_control::geom() {
    return {v_.disp().cw, v_.disp().ch, v_.disp().W, v_.layout().copy_wave.width()};
}

bool view_control::play_click(int x, int y) {
    if (!v_.initialised()) return false;
    ctl_.calc_ext_range();
    const bool hit = pb_.btn_click(x, y, source(), geom(), *this);
    sync_play_btns();
    return hit;
}

void view_control::draw_progress(draw_ctx* dc) {
    if (dc == nullptr) return;
    const progress_look p = calc_progress(v_.layout(), v_.disp(), v_.extr());
    draw_line_rect(dc, p.back_x1, p.y1, p.back_x2, p.y2, vc::black, 2);
    if (p.bar) draw_line_rect(dc, p.back_x1, p.y1, p.bar_x2, p.y2, vc::pressed, 2);
    if (p.pct_shown) {
        set_text_color(dc, vc::black);
        set_back_color(dc, vc::pressed);
        text_out_cell(dc, p.col, p.row, p.pct_text);
    }
}

// ---- extr_host ----

void view_control::show_message(const char* text) {
    if (v_.message_box) {
        v_.message_box(text);
    } else {
        tw_message_box(text);
    }
}

void view_control::set_item_text(extr_item item, const char* text) {
    auto* frame = qobject_cast<CMainFrame*>(v_.window());
    if (frame != nullptr) frame->set_command_text(item_command(item), QString::fromUtf8(text));
}

void view_control::hide_start_scroll() {
    view_scroll& sb = v_.start_scroll();
    if (sb.bar != nullptr) sb.bar->hide();
    sb.shown = 2;
}

bool view_control::timer_active() { return v_.timer_active() == 1; }
void view_control::stop_timer() { v_.set_timer1(false); }
void view_control::start_timer() { v_.set_timer1(true); }

void view_control::repaint_progress() {
    // Only the scroll line: its box, then the bar. The rest of the window
    // (the click cursor in particular) is left as it is.
    auto dc = v_.get_dc();
    if (!dc) return;
    const view_rect& r = v_.layout().scroll_line;
    draw_box1(dc.get(), r.left, r.top, r.width(), r.height(), vc::column);
    draw_progress(dc.get());
}

void view_control::redraw_values() { v_.draw_all_data(); }

void view_control::redraw_frame_and_values() {
    auto dc = v_.get_dc();
    if (!dc) return;
    v_.draw_back_frame(dc.get());
    paint_scene sc = v_.scene();
    ::draw_all_data(dc.get(), sc);
}

void view_control::part_list_reset() {
    view_scroll& sb = v_.part_scroll();
    if (sb.bar != nullptr) sb.bar->setValue(0);
    sb.pos = 0;
}

void view_control::end_of_run_layout() {
    v_.set_disp_rect();
    v_.destroy_part_scroll();
    v_.create_part_scroll();
    if (v_.disp().disp_mode != disp_mode_normal) return;
    view_scroll& sb = v_.part_scroll();
    const view_rect& r = v_.layout().prt_scroll;
    sb.bar->setGeometry(r.left, r.top, std::max(r.width(), 0), std::max(r.height(), 0));
    sb.bar->show();
    sb.shown = 1;
}

void view_control::playback_step() {
    pb_.timer_step(source(), geom(), *this);
    sync_play_btns();
}

// ---- play_surface ----

void view_control::draw_play_btn() {
    sync_play_btns();
    auto dc = v_.get_dc();
    if (!dc) return;
    const paint_scene sc = v_.scene();
    ::draw_play_btn(dc.get(), sc, v_.play_btns);
}

void view_control::sync_play_btns() {
    v_.play_btns = {pb_.play_flg(), pb_.play_mode(), pb_.pause_flg(), pb_.btn_redraw_flg()};
}

void view_control::put_pos_text(int col, int row, const char* text) {
    auto dc = v_.get_dc();
    if (!dc) return;
    set_text_color(dc.get(), vc::black);
    set_back_color(dc.get(), vc::lt_grey);
    text_out_cell(dc.get(), col, row, text);
}

void view_control::put_pos_time(int col, int row, std::int64_t frame) {
    std::string t;
    fmt_time_smpl(frame, view_rate, t);
    put_pos_text(col, row, t.c_str());
}
