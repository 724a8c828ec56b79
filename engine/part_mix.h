// Part resynthesis and mix: the working buffer built from the parts, the
// finishing steps of a run (jump smoothing and the residual part
// "Total_Diff."), and the end-of-run work shared by the view and the
// command-line tool.
#pragma once

#include <cstdint>

class CTonewarpDoc;
struct extr_state;

// mdfy_dt := zeros over the recording's data, then every info record of
// every part whose st.prt_mix_flg is 1 added at its own start samples, per
// channel, as 16-bit sums that wrap around. Writes stay inside the
// recording's frames and reads inside each part's waveform. Returns 0.
int make_mdfy_dt_from_each_part(extr_state& st, CTonewarpDoc& doc);

// Smooths the left-channel jumps of every part's waveform over the
// extraction range; the right channel is left as it is. Returns 0.
int de_spike_parts(extr_state& st, CTonewarpDoc& doc);

// Builds the mix of all parts in mdfy_dt, switched on or not, then adds the
// part "Total_Diff." holding orgn_dt - mdfy_dt over the range (16-bit
// wrapping difference) as one record spanning the range, switched into the
// mix: with every part in the mix, the mix is the recording over the range.
// mdfy_dt is left holding the mix of the other parts; the caller rebuilds
// the mix. 0, or -1 with st.err_stop = 1 when the run's part limit is
// reached or the part's memory could not be had.
int add_total_diff_part(extr_state& st, CTonewarpDoc& doc);

// The toolkit-free end-of-run work of the view: every part is marked to be
// shown expanded and the view's part count follows the document's.
void finish_extr_run(extr_state& st, const CTonewarpDoc& doc);

inline constexpr const char* total_diff_part_name = "Total_Diff.";

// Adds channel ch (0 left, 1 right) of n stereo frames at from into the
// frames at to, each sample a 16-bit addition that wraps; the other channel
// of to is left as it is.
void add_frames_channel(unsigned char* to, const unsigned char* from, std::int64_t n, int ch);
