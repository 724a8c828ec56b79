// Registration of a new sound-source part at an onset.
#pragma once

class CTonewarpDoc;
struct extr_state;

// Turns the onset just found to be new on channel st.chnl_slct into a part:
// on the right channel it first looks for a part whose left reference
// matches (the right-hand side of a known source); otherwise it adds a part
// "Part_%03d" with a waveform of (anlz_len / N + 1) · N frames. It opens the
// part's first info record, stores change-history slots 8 .. 1 as the
// channel's reference spectra (slot 0 the onset change, slots 1 .. 8 the
// pattern, normalised by its largest magnitude below N/2), writes the
// onset's waveform (held inside the 16-bit range) and hands over to
// update_already_part (mode 1 or 3). At st.part_max - 1 parts (the limit the
// run started with) nothing is registered and only the update runs.
// 0, or -1 with st.err_stop = 1 (no memory for the part, a part whose areas
// are incomplete, or a busy work buffer).
int regist_new_part(extr_state& st, CTonewarpDoc& doc);
