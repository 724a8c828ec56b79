// Geometry of the extraction marks and the click cursor: the visible frame
// range of the panes, a mark's pixel column and the arrowheads of the
// extraction marks. Pure.
#pragma once

#include <cstdint>
#include <vector>

#include "view/layout.h"
#include "view/view_state.h"

struct line_seg {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// Frames drawing start .. drawing start + trunc((pane width - 1) * frames per pixel).
struct smpl_range {
    std::int64_t first = 0;
    std::int64_t last = 0;  // inclusive
    bool contains(std::int64_t smpl) const { return first <= smpl && smpl <= last; }
};
smpl_range visible_smpl_range(const view_disp_state& s, const view_rect& pane);

// Pixel column of a frame inside a pane (the pane's left edge when frames
// per pixel is not positive).
int mark_column(const view_disp_state& s, const view_rect& pane, std::int64_t smpl);

// Lines of an extraction mark at column x over the original's ruler and
// panes: two vertical lines (x and x + 1 for the start mark, x and x - 1 for
// the end mark, each only inside the pane columns) and, at the border of the
// two channel panes, an arrowhead pointing into the range when it fits.
std::vector<line_seg> ext_mark_lines(int x, bool is_start, const view_rect& pane_L, const view_rect& wave);
