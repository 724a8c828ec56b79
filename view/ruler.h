// Time ruler geometry: label step, label times and positions, long and short
// ticks over one ruler-and-panes rectangle. Pure; the painter draws the plan.
#pragma once

#include <string>
#include <vector>

#include "view/layout.h"
#include "view/view_state.h"

// Label step in hundredths of a second for a ruler density (pixels per
// hundredth of a second over cw): 1 from a density of 10 on, else
// 1 + trunc(10 / density) rounded up to 2, 4, 6, 8, to multiples of 20 in
// 12 .. 99, of 200 in 102 .. 999, and so on; 10, 11, 100, 101, ... stay.
// A density of 0 or less gives 0 (no ruler).
long long ruler_label_step(double dens);

struct ruler_label {
    int x = 0;  // pixel column of the label's long tick
    long long time_10ms = 0;
    std::string text;  // time label without its leading blank
    int col = 0;       // text cell column (x / cw + 1)
};

struct ruler_plan {
    bool drawn = false;              // false when the rectangle is narrower than one hundredth of a second
    long long step = 0;              // label step k, hundredths of a second
    int spacing = 0;                 // label spacing P in pixels
    int y0 = 0;                      // top pixel row of the ruler's two rows
    int label_row = 0;               // text cell row of the labels
    int long_y1 = 0, long_y2 = 0;    // long tick from y1 to y2
    int short_y1 = 0, short_y2 = 0;  // short tick from y1 to y2
    std::vector<int> long_x;
    std::vector<int> short_x;
    std::vector<ruler_label> labels;
};

// Plans the ruler over rectangle r (its ruler is the two rows above r.top),
// shifted up by s pixels for a scrolled part, for the state's cell, zoom,
// density and drawing start.
ruler_plan plan_time_scale(const view_rect& r, int s, const view_disp_state& st);
