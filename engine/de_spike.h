// Smoothing of sample jumps in a part's waveform.
#pragma once

#include <cstdint>

// Largest step between neighbouring samples that is left alone.
inline constexpr int de_spike_max_jump = 20000;

// Smooths the jumps of one channel of a stereo 16-bit waveform.
// frames: the waveform (4 bytes a frame, left first, little-endian);
// channel 0 = left, 1 = right; cap_frames: its capacity in frames; len:
// number of frames examined (the extraction range's length). Positions
// i = 4 .. len-5 are examined; a jump of more than 20000 at i is replaced by
// its midpoint, the three samples on each side are re-drawn as a ramp toward
// it, and the next four positions are skipped. Nothing at or beyond
// cap_frames is read or written. The sample before frame 0, which the ramp
// of a jump at i = 4 asks for, is taken as frame 0's own value (a flat
// start). Ramp values outside the 16-bit range are held at its ends.
void de_spike_samples(unsigned char* frames, int channel, std::int64_t cap_frames, std::int64_t len);
