#include "view/play_btn.h"

void draw_play_btn(draw_ctx* dc, const paint_scene& sc, const play_btn_state& ps) {
    if (dc == nullptr) return;
    static const char* const labels[4] = {"→", ">>", "□", "||"};
    const bool pressed[4] = {
        ps.playing == 1 && ps.play_mode == 1,
        ps.playing == 1 && ps.play_mode == 2,
        ps.btn_pending == 1,
        ps.paused == 1,
    };
    const int cw = sc.st.cw, ch = sc.st.ch;
    for (int b = 0; b < 4; ++b) {
        const view_rect& r = sc.lay.play_btn[b];
        const rgb fill = pressed[b] ? vc::pressed : vc::lt_grey;
        draw_box(dc, r.left, r.top, r.width(), r.height(), 2, fill, pressed[b] ? vc::dark : vc::light,
                 pressed[b] ? vc::light : vc::dark);
        set_text_color(dc, vc::black);
        set_back_color(dc, fill);
        text_out_cell(dc, (r.left + 4) / cw, (r.top + 4) / ch, labels[b]);
    }
}
