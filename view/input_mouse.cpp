// Mouse input of the view: the left click with its five hit tests, the
// double click on a part title, and the functions the yellow buttons and
// the part icons run.
#include <QMouseEvent>
#include <cstring>

#include "app/gui/part_name_dlg.h"
#include "document/tonewarp_doc.h"
#include "engine/part_mix.h"
#include "platform/sound_out.h"
#include "view/hit_test.h"
#include "view/tonewarp_view.h"
#include "view/view_control.h"
#include "view/wave_paint.h"
#include "view/wave_summary.h"

void CTonewarpView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        const QPoint p = e->position().toPoint();
        on_left_click(p.x(), p.y());
    }
    QWidget::mousePressEvent(e);
    // A click in the view is the view's alone; the frame around it has nothing to do with it.
    e->accept();
}

void CTonewarpView::mouseDoubleClickEvent(QMouseEvent* e) {
    // The second press of a double click arrives only as this event (the
    // base handler would run it as another click, zooming twice).
    if (e->button() == Qt::LeftButton) {
        const QPoint p = e->position().toPoint();
        on_double_click(p.x(), p.y());
    }
    e->accept();
}

void CTonewarpView::on_left_click(int x, int y) {
    if (!init_done_) return;  // nothing is laid out before the first paint
    calc_ext_range();
    const bool freq = st_.disp_mode == disp_mode_freq;

    // 1. Zoom buttons. A refused zoom out changes nothing and repaints nothing.
    if (apply_zoom_click(st_, *lay_, x, y) == zoom_result::repaint) draw_all_data();

    // 2. Play buttons.
    ctl_->play_click(x, y);

    // 3. Click position: the old cursor is XORed away, the new one drawn with its label.
    {
        paint_scene sc = scene();
        if (hit_wave_area(*lay_, st_, sc.part_cnt(), sc.prt_top(), x, y)) {
            auto dc = get_dc();
            if (st_.clk_mark.set == 1) draw_clk_cursor(dc.get(), sc);
            set_click_mark(st_, lay_->L0, x);
            draw_clk_pos(dc.get(), sc);
        }
    }

    // 4. Part icons (normal mode): the first hit part goes in or out of the mix.
    if (!freq) {
        paint_scene sc = scene();
        const int i = hit_part_icon(*lay_, st_, sc.part_cnt(), sc.prt_top(), x, y);
        if (i >= 0) toggle_part_mix(i);
    }

    // 5. Function buttons: restore beside the original, centre cancel beside
    // the copy; in frequency mode the channel buttons, which act only when
    // they change the channel.
    switch (hit_fn_button(*lay_, st_, x, y)) {
        case 1:
            restore_copy_dt();
            break;
        case 2:
            make_cancel_dt();
            break;
        default:
            break;
    }
    if (freq) {
        const int c = hit_chnl_button(*lay_, st_, x, y);
        if ((c == 1 && freq_.sel.chnl == 2) || (c == 2 && freq_.sel.chnl == 1)) {
            freq_.sel.chnl = c;
            draw_all_data();
        }
    }
}

void CTonewarpView::on_double_click(int x, int y) {
    // Part titles are only on screen in normal mode.
    if (!init_done_ || doc_ == nullptr || st_.disp_mode != disp_mode_normal) return;
    paint_scene sc = scene();
    const int i = hit_part_title(*lay_, st_, sc.part_cnt(), sc.prt_top(), x, y);
    if (i < 0) return;
    // The dialog works on this view's name buffer: the part's number and its current name.
    name_edit_.part_no = i;
    std::memcpy(name_edit_.name, doc_->prt_name[i], sizeof name_edit_.name);
    name_edit_.name[sizeof name_edit_.name - 1] = '\0';
    set_active_view(this, doc_, &name_edit_);
    CPartNameDlg dlg(*doc_, name_edit_, window());
    if (dlg.exec() != QDialog::Accepted) return;
    std::memcpy(doc_->prt_name[i], name_edit_.name, sizeof doc_->prt_name[i]);
    draw_all_data();
}

void CTonewarpView::make_cancel_dt() {
    if (doc_ != nullptr) {
        // Playback may be reading the working copy.
        sound_buffers_guard g;
        doc_->make_cancel_dt();
        note_wave_change(doc_, wave_copy);
    }
    draw_all_data();
}

void CTonewarpView::restore_copy_dt() {
    if (doc_ != nullptr) {
        sound_buffers_guard g;
        doc_->restore_copy_dt();
        note_wave_change(doc_, wave_copy);
    }
    draw_all_data();
}

void CTonewarpView::toggle_part_mix(int i) {
    if (i < 0 || i >= view_part_slots) return;
    int& flg = ex_->prt_mix_flg[i];
    flg = flg == 1 ? 0 : 1;
    if (doc_ != nullptr) {
        sound_buffers_guard g;
        make_mdfy_dt_from_each_part(*ex_, *doc_);
        note_wave_change(doc_, wave_copy);
    }
    repaint_frame_and_values();
}
