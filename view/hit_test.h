// Where a click in the view lands: the waveform areas that take the click
// position, a part's icon or title, and the one-cell function buttons beside
// the original and the copy. Pure; rectangles contain their left and top
// edges only, and part rows are shifted by the part list's scroll offset.
#pragma once

#include "view/layout.h"
#include "view/view_state.h"

// True when (x, y) lies in the original's or the copy's ruler and panes, in
// the spectrum (frequency mode) or in the band of the listed parts' waveform
// regions (normal mode, with parts; down to H at most).
bool hit_wave_area(const disp_layout& lay, const view_disp_state& s, int part_cnt, int prt_top, int x, int y);

// The listed part whose icon cell (two cells wide, one high) holds (x, y), or -1.
int hit_part_icon(const disp_layout& lay, const view_disp_state& s, int part_cnt, int prt_top, int x, int y);

// The listed part whose title (13 cells wide, the first row) holds (x, y), or -1.
int hit_part_title(const disp_layout& lay, const view_disp_state& s, int part_cnt, int prt_top, int x, int y);

// The yellow buttons: 1 restore (beside the original), 2 centre cancel
// (beside the copy), 0 none.
int hit_fn_button(const disp_layout& lay, const view_disp_state& s, int x, int y);
