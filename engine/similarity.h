// Same-source similarity test: does the recent-change pattern st.chg_nrm
// have the spectral pattern of the part loaded into st.prt_cmp?
#pragma once

class CTonewarpDoc;
struct extr_state;

// Compares rows 0 .. 7, bins 0 .. N/2 - 1 of st.chg_nrm (w) and st.prt_cmp
// (q) with two scores against the similar-sound parameter S
// (sys_param.sim_snd_prm):
//  1. weighted overlap: terms set_prm2 * min(w, q), or set_prm2 uncounted
//     where w == q > 0; counted terms are those reaching set_prm3; the sum
//     is divided by the count when anything was counted;
//  2. overlap in percent: terms 100 * min(w, q), counted from 30 on; the
//     sum undivided, with the last term added once more when anything was
//     counted.
// Returns 1 (same source) as soon as a score reaches S, else 2. mode has no
// effect (callers pass 1); *shift is set to 0 when shift is not null.
// Writes only trace lines.
int chk_same_part_on_both_freq_dt(extr_state& st, CTonewarpDoc& doc, int mode, int* shift);
