// The view's display-mode command (32776) and what the frequency display
// reads from the view at each painting pass.
#include "app/gui/command_ids.h"
#include "app/gui/main_frame.h"
#include "view/freq_display.h"
#include "view/tonewarp_view.h"
#include "view/wave_paint.h"

freq_scene* CTonewarpView::freq_snapshot() {
    // The part-list bar as it stands scrolls a short spectrum.
    QScrollBar* bar = part_bar_.bar;
    freq_.bar_exists = bar != nullptr;
    freq_.bar_pos = bar != nullptr ? bar->value() : 0;
    freq_.bar_min = bar != nullptr ? bar->minimum() : 0;
    freq_.bar_max = bar != nullptr ? bar->maximum() : 0;
    freq_.work = ex_.get();
    return &freq_;
}

void CTonewarpView::repaint_frame_and_values() {
    auto dc = get_dc();
    if (!dc) return;
    draw_back_frame(dc.get());
    paint_scene sc = scene();
    ::draw_all_data(dc.get(), sc);
}

void CTonewarpView::on_disp_mode_cmd() {
    auto* frame = qobject_cast<CMainFrame*>(window());
    auto set_text = [frame](const char* text) {
        if (frame != nullptr) frame->set_command_text(cmd::ID_DISP_MODE, QString::fromUtf8(text));
    };
    const bool has_parts = scene().part_cnt() > 0;
    if (st_.disp_mode == disp_mode_freq) {
        set_text(disp_mode_txt_to_freq);
        st_.disp_mode = disp_mode_normal;
    } else {
        set_text(disp_mode_txt_to_normal);
        st_.disp_mode = disp_mode_freq;
        // The spectrum needs the part-list bar to scroll a short area.
        create_part_scroll();
    }
    if (!init_done_) return;  // the first paint lays the view out in the new mode

    // The lower area changes its height with the mode: the layout follows
    // at once, and the frame is repainted under the values. The click mark
    // survives the frame (only a full repaint forgets it).
    set_disp_rect();
    if (part_bar_.bar != nullptr) {
        if (st_.disp_mode == disp_mode_freq || has_parts) {
            place_scroll(part_bar_, lay_->prt_scroll);
        } else {
            part_bar_.bar->hide();
            part_bar_.shown = 2;
        }
    }
    const pos_mark clk = st_.clk_mark;
    auto dc = get_dc();
    if (!dc) return;
    draw_back_frame(dc.get());
    st_.clk_mark = clk;
    paint_scene sc = scene();
    ::draw_all_data(dc.get(), sc);
}
