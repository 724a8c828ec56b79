// Change test of the frame loop: does the current frame of the selected
// channel show new energy across many bins, compared with older frames?
#pragma once

class CTonewarpDoc;
struct extr_state;

// Result values of the engine's yes/no tests.
inline constexpr int chk_yes = 1;
inline constexpr int chk_no = 2;

// Returns chk_yes when the frame at st.anlz_ptr_X of channel st.chnl_slct
// shows a change, chk_no otherwise. Called after the change history of the
// channel holds the current frame in slot 0 and before the spectrum history
// does (so spectrum-history slot s - 1 is the frame s frames back).
//
// No change while the channel's change flag waits for its onset test; for
// 512 <= d < N samples after the run's first loud frame a change without
// looking at the spectrum; otherwise the bin-window rate test against the
// similar-sound parameter sys_param.sim_snd_prm. Writes only trace lines.
int chk_chg_exist_or_not_in_orgn_dt(extr_state& st, CTonewarpDoc& doc);
