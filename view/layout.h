// Layout of the recording view on its character grid: every rectangle of the
// header, the original and copy areas, the control line and the lower area
// (part list or spectrum), as a pure function of the cell, the client size,
// the display mode and the parts' expanded flags.
#pragma once

#include "view/view_state.h"

// Rectangle in client pixels: left, top, right, bottom. Contains (x, y) when
// left <= x < right and top <= y < bottom.
struct view_rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
};

struct disp_layout {
    int L0 = 0;  // left edge of every waveform pane
    int R0 = 0;  // right edge of every waveform pane

    view_rect zoom_in_btn;   // "拡大▲"
    view_rect zoom_in_x8;    // x8 hot spot inside it
    view_rect zoom_out_btn;  // "縮小▼"
    view_rect zoom_out_x8;   // x1/8 hot spot inside it

    view_rect orgn_area;
    view_rect orgn_wave;  // ruler and panes; the ruler box is the two rows above its top
    view_rect orgn_pane_L;
    view_rect orgn_pane_R;

    view_rect scroll_line;  // drawing-start scroll bar, or the progress bar during a run
    view_rect play_btn[4];  // "→", ">>", "□", "||"

    view_rect copy_area;
    view_rect copy_wave;
    view_rect copy_pane_L;
    view_rect copy_pane_R;

    int lower_top = 0;      // T
    int lower_bottom = 0;   // part-list or spectrum bottom
    bool spc_tall = false;  // frequency mode: the spectrum has its full 518 rows

    view_rect prt_scroll;  // part-list scroll bar
    view_rect spc_outer;   // spectrum area, with the frequency labels
    view_rect spc_inner;   // spectrum area, the picture itself

    // Per part slot; a collapsed part has empty (zero-height) panes.
    view_rect prt_outer[view_part_slots];
    view_rect prt_wave[view_part_slots];
    view_rect prt_pane_L[view_part_slots];
    view_rect prt_pane_R[view_part_slots];
};

// Rows the spectrum needs: half a 1024-point frame of bins plus a margin of 6.
inline constexpr int spc_rows = 518;

// Computes every rectangle. prt_disp_flg holds view_part_slots expanded flags
// (1 = expanded); a null pointer means every part is expanded.
void set_disp_rect(disp_layout& lay, int cw, int ch, int W, int H, int disp_mode, const int* prt_disp_flg);

// The same from a display state.
void set_disp_rect(disp_layout& lay, const view_disp_state& s, const int* prt_disp_flg);

// The part list is scrolled by whole parts: the offset that shifts every
// row up so that part prt_top stands at the top of the lower area.
int part_scroll_offset(const disp_layout& lay, int prt_top);

// Which parts of the list are painted: from prt_top while the shifted top
// lies above H. Also reports the shifted top of the row after the last one.
struct visible_parts {
    int first = 0;     // first painted part
    int end = 0;       // one past the last painted part
    int offset = 0;    // scroll offset in pixels
    int next_top = 0;  // shifted top of part `end` (where the list ends when end == part count)
};
visible_parts calc_visible_parts(const disp_layout& lay, int part_cnt, int prt_top, int H);
