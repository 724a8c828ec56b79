// The view's two scroll bars: the part list (vertical, id 111), which
// moves the list (or a short spectrum) when its thumb is released, and the
// drawing start (horizontal, id 112), which the waveforms follow while its
// thumb is dragged.
#include <QScrollBar>

#include "view/tonewarp_view.h"

namespace {

// The bar's requests as scroll codes; actions that are no request give none.
std::optional<sb_code> code_of(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            return sb_code::line_down;
        case QAbstractSlider::SliderSingleStepSub:
            return sb_code::line_up;
        case QAbstractSlider::SliderPageStepAdd:
            return sb_code::page_down;
        case QAbstractSlider::SliderPageStepSub:
            return sb_code::page_up;
        case QAbstractSlider::SliderToMinimum:
            return sb_code::top;
        case QAbstractSlider::SliderToMaximum:
            return sb_code::bottom;
        case QAbstractSlider::SliderMove:
            return sb_code::thumb_track;
        default:
            return std::nullopt;
    }
}

}  // namespace

void CTonewarpView::connect_scroll(QScrollBar* bar) {
    if (bar == nullptr) return;
    bar->installEventFilter(this);  // the wheel over the bar: see input_wheel.cpp
    // An action arrives before the bar takes its new value: value() is still
    // the old position, sliderPosition() the one the thumb reports.
    connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) {
        if (const auto code = code_of(action)) on_scroll(bar, *code, bar->sliderPosition());
    });
    connect(bar, &QAbstractSlider::sliderReleased, this,
            [this, bar] { on_scroll(bar, sb_code::thumb_position, bar->sliderPosition()); });
}

void CTonewarpView::on_scroll(QScrollBar* bar, sb_code code, int reported) {
    if (bar == nullptr) return;
    const int min = bar->minimum(), max = bar->maximum();
    if (bar == part_bar_.bar) {
        const auto p = vscroll_pos(code, bar->value(), min, max, reported);
        if (!p) return;  // the thumb is being dragged: nothing moves until it is released
        bar->setValue(*p);
        if (!vscroll_moves_list(code)) return;
        part_bar_.pos = *p;
        if (max > min)
            ex_->prt_list_top = first_part_for_pos(*p, min, max, scene().part_cnt(), ex_->prt_list_top);
        draw_all_data();
    } else if (bar == start_bar_.bar) {
        const int p = hscroll_pos(code, bar->value(), min, max, reported);
        bar->setValue(p);
        if (!hscroll_moves_view(code)) return;
        start_bar_.pos = p;
        if (max > min) st_.draw_stt = draw_stt_for_pos(p, min, max, st_.data_cnt, st_.draw_stt);
        draw_all_data();
    }
}
