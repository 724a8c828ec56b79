// The time ruler painter: labels and ticks of one ruler-and-panes rectangle.
#pragma once

#include "view/draw_ops.h"
#include "view/paint_scene.h"

// Draws the ruler above rectangle r, shifted up by s pixels (scrolled parts):
// labels black on light grey, long and short ticks in blue. Refreshes the
// drawing start in seconds first.
void draw_time_scale(draw_ctx* dc, paint_scene& sc, const view_rect& r, int s);
