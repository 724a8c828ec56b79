// One part alone over a window of frames, made straight from the part's
// records: what the mix of that part alone holds there, without building
// the mix of the whole recording.
#pragma once

#include <cstdint>

class CTonewarpDoc;

// Frames first .. first + count - 1 (inside the recording) of the mix that
// make_mdfy_dt_from_each_part leaves in mdfy_dt when part p is the only
// one switched on, into out (4 * count bytes): zero, plus every info record
// of the part added at its own start samples, per channel, as 16-bit sums
// that wrap around, with the same limits to the recording and to the
// part's waveform.
void mix_part_window(const CTonewarpDoc& doc, int p, std::int64_t first, std::int64_t count,
                     unsigned char* out);
