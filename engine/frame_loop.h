// The extraction run's state machine and frame loop.
#pragma once

class CTonewarpDoc;
struct extr_state;
struct extr_steps;

// Runs one call of the run according to st.extr_stat:
//  0  nothing;
//  1  start: the run's part limit taken from the settings, coefficient
//     areas, all parts of the document released, histories and per-run
//     values reset, then the first batch;
//  2  one batch: each channel advances by up to 2N samples in frames of
//     N/8, left and right frames alternating, with the change test, the
//     onset test a fixed wait after a change (registration or re-attack
//     update) and the regular update every N samples; the state becomes 3
//     when both channels passed st.anlz_end_ptr;
//  3  finishing: smoothing, residual part and mix, coefficient areas freed.
// Returns at once when st.err_stop is 1 at one of its checks. Always 0; the
// driver (extr_drive_step, engine/extr_drive.h) moves the state from 1 to 2
// and from finished 3 to 0.
int extr_step(extr_state& st, CTonewarpDoc& doc, extr_steps& steps);

// Fills st.frm_re with samples st.frm_top .. + N - 1 of channel
// st.chnl_slct of doc.orgn_dt (zeros wherever a sample lies before frame 0
// or at or past the recording's last frame), transforms them with zero
// imaginary parts into st.spc_re / st.spc_im and sets st.spc_done = 1.
// st.frm_im is left as it is: the transform does not read it.
void calc_frm_spc(extr_state& st, CTonewarpDoc& doc);
