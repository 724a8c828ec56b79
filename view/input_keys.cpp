// Keyboard input of the view: Escape, Insert, and the typed commands.
#include <QKeyEvent>
#include <string>

#include "app/err_log.h"
#include "app/gui/child_frame.h"
#include "app/gui/ins_mode.h"
#include "app/gui/sys_param_dlg.h"
#include "platform/sjis.h"
#include "view/tonewarp_view.h"

namespace {

CChildFrame* child_frame_of(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p != nullptr; p = p->parentWidget()) {
        if (auto* f = qobject_cast<CChildFrame*>(p)) return f;
    }
    return nullptr;
}

}  // namespace

void CTonewarpView::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Escape:
            if (st_.clk_mark.set == 1) {
                st_.clk_mark = pos_mark{};
                draw_all_data();
            }
            break;
        case Qt::Key_Insert:
            // The mode text goes to the message pane through the frame, which
            // would otherwise switch the mode a second time: the key ends here.
            if (!e->isAutoRepeat()) {
                const QString text = QString::fromUtf8(toggle_ins_ovr_mode());
                if (CChildFrame* f = child_frame_of(this)) emit f->ins_mode_changed(text);
            }
            e->accept();
            return;
        default:
            break;
    }
    // The key's characters, as the bytes the program's code page gives them.
    const QString t = e->text();
    if (!t.isEmpty()) {
        const std::string bytes = utf8_to_cp932(t.toStdString());
        for (char c : bytes) on_char(c);
    }
    QWidget::keyPressEvent(e);
}

void CTonewarpView::on_char(char c) {
    const key_seq s = keys_.push(c);
    if (s == key_seq::none) return;
    // The spectrum's sequences do nothing in normal mode.
    if (key_seq_freq_only(s) && st_.disp_mode != disp_mode_freq) return;
    switch (s) {
        case key_seq::sys_param_dlg: {
            CSysParamDlg dlg(window());
            dlg.exec();
            break;
        }
        case key_seq::log_on:
            log_on_flg = 1;
            break;
        case key_seq::log_off:
            log_on_flg = 0;
            break;
        case key_seq::centre_cancel:
            make_cancel_dt();
            break;
        case key_seq::restore:
            restore_copy_dt();
            break;
        case key_seq::comp_mag:
        case key_seq::comp_re:
        case key_seq::comp_im:
            freq_.sel.comp = 1 + static_cast<int>(s) - static_cast<int>(key_seq::comp_mag);
            draw_all_data();
            break;
        case key_seq::scale_lvl:
        case key_seq::scale_dif:
            freq_.sel.scale = 1 + static_cast<int>(s) - static_cast<int>(key_seq::scale_lvl);
            draw_all_data();
            break;
        case key_seq::none:
            break;
    }
}
