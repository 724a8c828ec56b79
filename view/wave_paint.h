// Painters of the values and waveforms: header values, the original and the
// copy with their rulers, the extraction marks, the part lanes, the part
// icons and the click cursor with its label. Called after every change of
// values (zoom, scroll, marks, names) without the frame.
#pragma once

#include "view/draw_ops.h"
#include "view/paint_scene.h"

// Everything below, in painting order.
void draw_all_data(draw_ctx* dc, paint_scene& sc);

void draw_original_wave(draw_ctx* dc, paint_scene& sc);
void draw_copy_wave(draw_ctx* dc, paint_scene& sc);

// The part list (normal mode); in frequency mode it hands the lower area
// over to the frequency display (draw_freq_data).
void draw_part_wave(draw_ctx* dc, paint_scene& sc);

// Start and end marks inside the visible range; their columns are stored.
void draw_ext_mark(draw_ctx* dc, paint_scene& sc);

// The click cursor (XOR, so drawing it twice removes it) and its header label.
void draw_clk_pos(draw_ctx* dc, paint_scene& sc);
// Only the cursor line: used to remove it before the click mark moves.
void draw_clk_cursor(draw_ctx* dc, paint_scene& sc);

// Width of the copy's ruler-and-panes rectangle: decides which header values fit.
inline int copy_width(const paint_scene& sc) { return sc.lay.copy_wave.width(); }
