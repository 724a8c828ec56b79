// The mouse wheel. A notch moves what a scroll bar's arrow moves: over the
// part list (or its bar) the part list, over the original and the copy (or
// the drawing-start bar) the drawing start, each through the bar's own
// handler so that clamping and repainting are the arrows'. With Ctrl held a
// notch zooms as the x2 and x1/2 buttons do. Qt's own wheel handling of a
// bar (a thumb move of a few thousandths that the view never sees) is
// replaced.
#include <QScrollBar>
#include <QWheelEvent>
#include <cstdlib>

#include "view/tonewarp_view.h"

namespace {

constexpr int wheel_notch = 120;  // eighths of a degree

bool ctrl_held(const QWheelEvent& e) { return (e.modifiers() & Qt::ControlModifier) != 0; }

}  // namespace

void CTonewarpView::wheelEvent(QWheelEvent* e) {
    if (init_done_) on_wheel(wheel_target_at(*lay_, e->position().toPoint().y(), ctrl_held(*e)), e->angleDelta().y());
    e->accept();
}

bool CTonewarpView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && watched != nullptr &&
        (watched == part_bar_.bar || watched == start_bar_.bar)) {
        auto* e = static_cast<QWheelEvent*>(event);
        const wheel_target t = ctrl_held(*e)                ? wheel_target::zoom
                               : watched == part_bar_.bar ? wheel_target::part_list
                                                          : wheel_target::draw_start;
        on_wheel(t, e->angleDelta().y());
        e->accept();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CTonewarpView::on_wheel(wheel_target target, int delta) {
    if (!init_done_) return;
    // Fine-grained wheels and touch pads send parts of a notch.
    wheel_rest_ += delta;
    const int notches = wheel_rest_ / wheel_notch;
    wheel_rest_ -= notches * wheel_notch;
    const bool up = notches > 0;
    for (int i = 0; i < std::abs(notches); ++i) {
        if (target == wheel_target::zoom) {
            calc_ext_range();
            if (apply_zoom(st_, up ? zoom_hit::in2 : zoom_hit::out2) == zoom_result::repaint) draw_all_data();
            continue;
        }
        // A bar that is not shown (no parts yet; the drawing start during a
        // run) has no arrows to press, so the wheel does nothing there.
        view_scroll& sb = target == wheel_target::part_list ? part_bar_ : start_bar_;
        if (sb.bar == nullptr || sb.shown != 1) return;
        on_scroll(sb.bar, up ? sb_code::line_up : sb_code::line_down, sb.bar->sliderPosition());
    }
}
