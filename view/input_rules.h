// Rules of the view's input handlers that need no window: zoom steps and
// their limits, the click mark, the channel buttons of the spectrum, and the
// positions the two scroll bars take and what they move. Pure.
#pragma once

#include <optional>

#include "view/layout.h"
#include "view/view_state.h"

// Zoom limits: a zoom in stays at or below 9.9, a zoom out stays above 2^-13.
inline constexpr double zoom_in_limit = 9.9;
inline constexpr double zoom_out_floor = 1.0 / 8192.0;

// Zooms in by f when zoom * f <= 9.9 (else the zoom stays), snaps a zoom
// within 0.1 of 1 to exactly 1 and recomputes frames and seconds per pixel
// and the ruler density. The values are repainted either way.
void zoom_in_by(view_disp_state& s, double f);

// Zooms out by f, snapping and recomputing as above. Returns false, and
// changes nothing at all, when zoom / f would not be above 2^-13.
bool zoom_out_by(view_disp_state& s, double f);

// The zoom buttons: the x8 hot spot, else the zoom-in button (x2), else the
// x1/8 hot spot, else the zoom-out button (x1/2).
enum class zoom_hit { none, in8, in2, out8, out2 };
zoom_hit hit_zoom(const disp_layout& lay, int x, int y);

// What a zoom click did: nothing hit, the zoom (possibly unchanged) to be
// repainted, or a refused zoom out that must not repaint.
enum class zoom_result { none, repaint, refused };
zoom_result apply_zoom(view_disp_state& s, zoom_hit hit);
inline zoom_result apply_zoom_click(view_disp_state& s, const disp_layout& lay, int x, int y) {
    return apply_zoom(s, hit_zoom(lay, x, y));
}

// What one notch of the mouse wheel moves: the part list (over the lower
// area, or over its bar) or the drawing start (anywhere else in the view, or
// over its bar); with Ctrl held the zoom, as the x2 and x1/2 buttons do.
enum class wheel_target { part_list, draw_start, zoom };
wheel_target wheel_target_at(const disp_layout& lay, int y, bool ctrl);

// Sets the click mark at pixel column x: frame drawing start + trunc((x -
// L0) * frames per pixel), seconds (x - L0) * seconds per pixel + drawing
// start in seconds. The frame is kept within 0 .. INT_MAX.
void set_click_mark(view_disp_state& s, int L0, int x);

// The spectrum's channel buttons ("Ｌ" 1, "Ｒ" 2) under (x, y), or 0: two
// cells wide from 2hw - 2, one cell high from T + hh + ch - 2 ("Ｌ") and
// T + hh + 3ch - 2 ("Ｒ").
int hit_chnl_button(const disp_layout& lay, const view_disp_state& s, int x, int y);

// Scroll-bar request codes, as the bars report them.
enum class sb_code {
    line_up,
    line_down,
    page_up,
    page_down,
    thumb_position,
    thumb_track,
    top,
    bottom,
    end_scroll
};

// The part-list bar: step (max - min) / 20 and page (max - min) / 4, both at
// least 1; thumb position the reported position; top and bottom the ends;
// any other code keeps p. Thumb tracking gives no position: the handling
// ends at once. The result is clamped to min .. max.
std::optional<int> vscroll_pos(sb_code code, int p, int min, int max, int reported);

// The drawing-start bar: step (max - min) / 1000 and page (max - min) / 10,
// both at least 1; thumb tracking and thumb position take the reported
// position; end-scroll keeps p. Clamped to min .. max.
int hscroll_pos(sb_code code, int p, int min, int max, int reported);

// Codes after which the part list follows its bar (all but end-scroll; the
// list therefore moves when the thumb is released) and after which the
// waveforms follow the drawing-start bar (all but end-scroll and thumb
// position: they follow the thumb while it is dragged).
inline bool vscroll_moves_list(sb_code c) { return c != sb_code::end_scroll; }
inline bool hscroll_moves_view(sb_code c) { return c != sb_code::end_scroll && c != sb_code::thumb_position; }

// First visible part for bar position p: (p - min) * part count / (max -
// min), at most the last part (and not below 0). Returns current when the
// bar has no range.
int first_part_for_pos(int p, int min, int max, int part_cnt, int current);

// Drawing start for bar position p: trunc((p - min) * data count / (max -
// min)), at least 0, reckoned in 64 bits. Returns current when the bar has
// no range.
int draw_stt_for_pos(int p, int min, int max, int data_cnt, int current);
