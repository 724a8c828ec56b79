// Display state of one recording view: character cell, client size, zoom,
// drawing start, display mode and the three position marks. Plain values,
// no toolkit; the widget owns one of these next to its extraction state.
#pragma once

#include <cstdint>

// Frames per second the view reckons every time and position with,
// whatever the recording's header says.
inline constexpr int view_rate = 44100;

// Number of part slots of every per-part table.
inline constexpr int view_part_slots = 256;

// Display modes.
inline constexpr int disp_mode_freq = 1;    // frequency analysis display in the lower area
inline constexpr int disp_mode_normal = 2;  // part list in the lower area

// Character-cell fallback when the font reports zero metrics.
inline constexpr int fallback_cw = 8;
inline constexpr int fallback_ch = 18;

// One position mark: the click mark and the two extraction marks share it.
struct pos_mark {
    int set = 0;       // 1 = set
    int x = 0;         // pixel column where it was last drawn
    int smpl = 0;      // frame index in the recording
    double sec = 0.0;  // the same position in seconds
};

struct view_disp_state {
    // Character cell of the display font and its halves (integer division).
    int cw = 0;
    int ch = 0;
    int hw = 0;
    int hh = 0;

    // Client size in pixels, taken at every paint.
    int W = 0;
    int H = 0;

    // Zoom: pixels per frame; the other three follow it (set_zoom).
    double zoom = 1.0 / 64.0;
    double smpl_per_pix = 64.0;
    double sec_per_pix = 64.0 / view_rate;
    double ruler_dens = 0.0;  // pixels per hundredth of a second, over cw

    // First displayed frame and the same in seconds (refreshed before each ruler).
    int draw_stt = 0;
    double draw_stt_sec = 0.0;

    // Frames of the recording (data bytes / 4), set at the first paint.
    int data_cnt = 0;

    int disp_mode = disp_mode_normal;

    pos_mark clk_mark;
    pos_mark stt_mark;
    pos_mark end_mark;
};

// Sets cw and ch from the font's metrics (0 falls back to 8 x 18) and their halves.
void set_char_cell(view_disp_state& s, int avg_char_w, int char_h_with_leading);

// Sets the zoom and recomputes frames per pixel, seconds per pixel and the
// ruler density (which needs cw; with cw 0 the density is left 0).
void set_zoom(view_disp_state& s, double zoom);

// Recomputes only the ruler density from the current zoom and cw.
void calc_ruler_dens(view_disp_state& s);
