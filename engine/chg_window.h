// The bin windows of the change test (engine/chg_detect.cpp) and their sums.
//
// The change test looks at windows of bins k - H .. k + H for k = H, H +
// step, H + 2*step, ... while k < N/2 - H (step = H/2, at least 1) and sums
// magnitudes over each window, always in the same order: starting from 0,
// adding bin k - H, then k - H + 1, ... up to k + H. A frame's magnitudes
// never change once they are in a history, so the frame loop sums each
// array once, when it enters a history, and keeps the sums beside it (see
// hst_ring in engine/extr_state.h); the test then reads the sums instead of
// summing eight arrays per frame. The sums are the very doubles a direct
// summation gives.
#pragma once

// Windows a cache holds; grids with more windows are summed directly.
inline constexpr int chg_wsum_cap = 512;
// Recent frames the quick totals take at most (W + 1 with the history's 16 slots).
inline constexpr int hst_max_recent = 16;

// Tag of a cache: which grid its sums belong to; 0 = nothing valid.
inline constexpr int chg_wsum_none = 0;

struct chg_grid {
    int h = 0;                // half width H
    int step = 1;             // distance between window centres
    int count = 0;            // number of windows; window i is centred on bin H + i*step
    int tag = chg_wsum_none;  // tag of caches built for this grid; none when it does not fit
};

// The grid of the change test for N bins and half width h (h >= 0).
chg_grid chg_grid_for(int n, int h);

// out[i] = the sum over window i of v, summed in the order above.
void chg_window_sums(const double* v, const chg_grid& g, double* out);

// True when a cache tagged `tag` holds the sums of grid g.
inline bool chg_wsum_valid(int tag, const chg_grid& g) { return g.tag != chg_wsum_none && tag == g.tag; }

// Rows of window sums for chg_quick_totals: the reference rows (frames
// W + 3 .. W + 1 back) and the recent rows, oldest first (frames W .. 0
// back); the oldest must exceed oldest_min, the others recent_min.
struct chg_rows {
    const double* ref[3];
    const double* recent[hst_max_recent];
    int recent_cnt;
};

// Sums over windows 0 .. count - 1 of: all reference sums (out[0]), all
// recent sums (out[1]) and the recent sums of the windows whose recent sums
// all exceed their thresholds (out[2]), added in no particular order (four
// windows side by side). The qualifying windows are found exactly. Returns
// false when a sum was negative: then the order of adding matters beyond
// the bound the change test relies on.
bool chg_quick_totals(const chg_rows& rows, int count, double oldest_min, double recent_min, double out[3]);
