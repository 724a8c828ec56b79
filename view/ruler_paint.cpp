#include "view/ruler_paint.h"

#include "view/ruler.h"

void draw_time_scale(draw_ctx* dc, paint_scene& sc, const view_rect& r, int s) {
    if (dc == nullptr) return;
    sc.st.draw_stt_sec = static_cast<double>(sc.st.draw_stt) / view_rate;
    const ruler_plan pl = plan_time_scale(r, s, sc.st);
    if (!pl.drawn) return;
    // Labels first: their opaque cells never reach the tick row's ticks of
    // another label, and a label's own ticks stay visible over its cell.
    set_text_color(dc, vc::black);
    set_back_color(dc, vc::lt_grey);
    for (const ruler_label& lb : pl.labels) text_out_cell(dc, lb.col, pl.label_row, lb.text.c_str());
    for (int x : pl.long_x) draw_line_rect(dc, x, pl.long_y1, x, pl.long_y2, vc::tick, 0);
    for (int x : pl.short_x) draw_line_rect(dc, x, pl.short_y1, x, pl.short_y2, vc::tick, 0);
}
