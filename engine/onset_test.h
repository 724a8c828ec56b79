// New-part onset test: is a change that has waited its time the onset of a
// new source, or a new attack of a known part?
#pragma once

class CTonewarpDoc;
struct extr_state;

// Builds the recent-change pattern st.chg_nrm from change-history slots 8 ..
// 1 of channel st.chnl_slct (bins below N/2, divided by their maximum when
// that is positive; st.Peak_Pnt1 = bin of the maximum) and compares it with
// each known part's stored magnitude spectra of the channel, slots 1 .. 8,
// in part order, with chk_same_part_on_both_freq_dt.
//
// Returns 1 when no part matches (a new part begins). On the first match
// returns 2 with doc.intNowAtackPartNmb = part + 1 and doc.intShiftVal the
// test's shift; a part whose channel is not yet active gets change-history
// slot 8 copied into its slot-0 spectra of that channel. Marks the
// intUse_fr_1a_F buffers free on leaving. Writes only trace lines.
int chk_new_part_add_or_not_in_chg(extr_state& st, CTonewarpDoc& doc);
