// The spectrogram of the frequency analysis display, without a toolkit.
//
// In frequency mode the lower area shows the working copy cut into frames of
// N = 1024 samples from the drawing start on; every frame is transformed and
// each of its bins becomes a run of one pixel row, w = trunc(N / frames per
// pixel) pixels wide, coloured by the bin's value. The top row is bin N/2
// (22050 Hz), the bottom row bin 1; bin 0 is never shown. A short area
// (less than 518 rows) shows a window of the rows chosen by the part-list
// scroll bar.
//
// This file holds what the display shows (channel, component, scale), the
// hop between frames for a zoom, the rows of the frequency labels and the
// frame loop; the painter turns the runs into pixels of the backing image.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/color_scale.h"

struct extr_state;

// What the spectrum shows; kept for the life of the view.
struct freq_sel {
    int chnl = 1;   // 1 left, 2 right
    int comp = 1;   // 1 magnitude, 2 |real part|, 3 |imaginary part|
    int scale = 1;  // 1 level, 2 difference to the previous frame
};

// What the painter needs besides the view state: the selection, the
// part-list scroll bar as it stands (it scrolls a short spectrum) and the
// extraction state whose frame and spectrum arrays the transform borrows.
struct freq_scene {
    freq_sel sel;
    bool bar_exists = false;
    int bar_pos = 0;
    int bar_min = 0;
    int bar_max = 0;
    extr_state* work = nullptr;
};

// Rows the whole spectrum takes: N/2 bins plus 3 rows of margin above and below.
inline constexpr int freq_frm_len = 1024;

// Frames between two frame starts for p frames per pixel: N/8 up to 129,
// then N/4, N/2, N, 2N, 4N, 8N and 16N from 257, 513, 1025, 2049, 4099 and
// 8193 on, so that about one frame or fewer falls on each pixel column.
int freq_hop(double smpl_per_pix, int n);

// First shown row i of the bins (0 = bin N/2): 0 unless the area is short
// (inner height below 518), the part-list bar exists and has a range; then
// (position - min) * (518 - inner height) / (max - min).
int freq_scroll_ofs(const freq_scene& fs, int inner_h);

// One frequency label: the row of a bin whose frequency lies within 30 Hz
// of a multiple of 2000 Hz (and more than two cells below the area's top),
// with the rounded frequency the label shows.
struct freq_label {
    int bin = 0;
    int y = 0;
    int hz = 0;
};
std::vector<freq_label> freq_labels(int IT, int IB, int S, int n, int ch);

// Frequency of bin b in whole hertz: trunc(b * 44100 / n + 0.5).
int freq_of_bin(int b, int n);

// The arrays one spectrum pass works in: the frame input (real and
// imaginary), the transform output and the previous frame's output. Each
// holds at least n doubles.
struct freq_work {
    double* frm_re = nullptr;
    double* frm_im = nullptr;
    double* spc_re = nullptr;
    double* spc_im = nullptr;
    double* prv_re = nullptr;
    double* prv_im = nullptr;
};

// The engine's arrays: the frame and spectrum arrays of the extraction
// state, and the part update's work spectrum for the previous frame. Only
// valid between engine batches, when the engine carries nothing in them.
freq_work engine_freq_work(extr_state& ex);

struct freq_frames_in {
    const unsigned char* frames = nullptr;  // working copy, 4-byte stereo frames
    std::int64_t data_cnt = 0;              // frames in it
    std::int64_t draw_stt = 0;              // first displayed frame
    double smpl_per_pix = 64.0;
    freq_sel sel;
    double full_scale = 0.0;             // hi of the level scale; the difference scale spans -hi .. hi
    int IL = 0, IT = 0, IR = 0, IB = 0;  // inner rectangle of the spectrum area
    int S = 0;                           // first shown bin row
    int n = freq_frm_len;
};

// One frame's stripe: pixels x0 .. x1 - 1 of rows y0 .. y0 + rows - 1, row k
// in colour colors[k] (0x00BBGGRR). colors stays valid during the call only.
struct freq_run {
    int x0 = 0;
    int x1 = 0;
    int y0 = 0;
    int rows = 0;
    const tw_colorref* colors = nullptr;
};

// The frame loop: from the drawing start, one frame every freq_hop frames,
// while the frame start lies before the data count (the first frame always
// runs) and its stripe starts left of IR - 2. Frames reaching past the data
// are padded with zeros. Returns the number of stripes handed to out.
int run_freq_frames(const freq_frames_in& in, const freq_work& w,
                    const std::function<void(const freq_run&)>& out);
