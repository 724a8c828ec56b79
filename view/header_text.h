// Texts of the header line and their cells: zoom factor, duration, frame
// count, drawing start, and the click position label. Pure, so the width
// thresholds can be checked without a window.
#pragma once

#include <string>
#include <vector>

#include "view/view_state.h"

struct cell_text {
    int col = 0;
    int row = 0;
    std::string text;  // UTF-8
};

// "×%2.0f    " from a zoom of 1 on, else "×1/%-4d" of trunc(1 / zoom).
std::string zoom_text(double zoom);

// Header values in painting order: zoom; then, as the copy width passes
// 60, 75, 90 and 100 character widths, the duration, the seconds, the frame
// count with "Cnt", and the cleared position label field; last the drawing
// start.
std::vector<cell_text> header_value_texts(const view_disp_state& s, int copy_width);

// The position label at the right of the header (only when the copy width
// exceeds 100 character widths): caption and time of a frame, plus the
// frame number one row lower when tracing is on. Used for the click mark
// ("ｸﾘｯｸ位置=") and the play position ("演奏位置=").
std::vector<cell_text> pos_label_texts(const view_disp_state& s, int copy_width, const char* caption,
                                       long long smpl, bool tracing);

// 17 blanks over the position label field (empty when the header is too narrow).
std::vector<cell_text> pos_label_clear(const view_disp_state& s, int copy_width);
