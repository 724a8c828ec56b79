// Per-bin work of the frame loop on one frame of one channel.
#pragma once

#include <cstdint>

// out[j] for j < n: the channel-ch sample (0 left, 1 right) of stereo frame
// first + j of buf, a buffer of frame_cnt frames of two signed 16-bit
// little-endian samples; 0.0 where first + j lies outside the buffer.
void frame_samples(const unsigned char* buf, std::int64_t frame_cnt, std::int64_t first, int ch, int n,
                   double* out);

// The frame volume, the sum of |frm[j]| over j < n. frm holds 16-bit sample
// values (integers of magnitude at most 32768), so every partial sum is an
// integer below 2^53 and the volume is exact, whatever the order of the
// additions.
double frame_volume(int n, const double* frm);

// The frame's magnitudes and their increases in one pass, for j < n: abs[j] =
// abs_copy[j] = sqrt(re[j]^2 + im[j]^2) and c_abs[j] = abs[j] - p_abs[j]
// where that is greater than 0, else 0.
void frame_abs_changes(int n, const double* re, const double* im, const double* p_abs, double* abs,
                       double* abs_copy, double* c_abs);

// The same in two halves, for a frame whose spectrum was made ahead:
// frame_abs writes abs[j] = sqrt(re[j]^2 + im[j]^2), and frame_changes
// then abs_copy[j] = abs[j] and c_abs[j] as above, for j < n. Together they
// give exactly the doubles of frame_abs_changes.
void frame_abs(int n, const double* re, const double* im, double* abs);
void frame_changes(int n, const double* abs, const double* p_abs, double* abs_copy, double* c_abs);
