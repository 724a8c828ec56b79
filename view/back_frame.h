// The view's frame: background, boxes and fixed labels of every area, drawn
// at full repaints only. The scroll bars and play buttons that complete the
// frame are placed by the widget.
#pragma once

#include "view/draw_ops.h"
#include "view/paint_scene.h"

// Steps 1 to 8 of the frame: background (and the click mark cleared), header
// boxes, original, play-button panel, copy, lower area, value boxes, panes,
// part icons and labels.
void draw_back_frame_boxes(draw_ctx* dc, paint_scene& sc);

// Shared pieces, also used by the value painters.
void draw_box1(draw_ctx* dc, int x, int y, int w, int h, rgb fill);
void draw_label(draw_ctx* dc, int col, int row, const char* text, rgb fg, rgb bg);

// Channel label and scale boxes of a pane, with "Left " or "Right" (white).
void draw_chnl_boxes(draw_ctx* dc, const view_disp_state& st, const view_rect& pane, const char* label);

// The ruler box (the two rows above a ruler-and-panes rectangle, light grey)
// and the two panes (style 2, pane colour), shifted up by s pixels.
void draw_ruler_and_panes(draw_ctx* dc, const view_disp_state& st, const view_rect& wave,
                          const view_rect& pane_L, const view_rect& pane_R, int s);

// Below the last listed part: light grey down to the list's bottom, then
// the background down to H (from hw to the scroll bar's left - 1).
void fill_list_rest(draw_ctx* dc, const paint_scene& sc, int next_top);
