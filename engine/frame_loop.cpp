#include "engine/frame_loop.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "app/sys_param.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "engine/chg_detect.h"
#include "engine/chg_window.h"
#include "engine/dft.h"
#include "engine/extr_state.h"
#include "engine/extr_steps.h"
#include "engine/frame_ahead.h"
#include "engine/frame_bins.h"
#include "engine/onset_test.h"

namespace {

// Update modes of update_already_part: after an onset that is no new part,
// and the regular update, per channel.
constexpr int upd_mode_attack_L = 1;
constexpr int upd_mode_attack_R = 3;
constexpr int upd_mode_regular_L = 2;
constexpr int upd_mode_regular_R = 6;

int mid_ptr(const extr_state& st) {
    return static_cast<int>((static_cast<std::int64_t>(st.anlz_ptr_L) + st.anlz_ptr_R) / 2);
}

// State 1: everything a run starts from. The document's part areas are
// released here, so a new run never sees the parts of the last one.
void start_run(extr_state& st, CTonewarpDoc& doc, extr_steps& steps) {
    st.part_max = sys_param.part_max;
    st.snd_top_ptr = -1;
    steps.alloc_coef_area(st, doc);
    doc.free_temp_area_all();

    st.chg_flg_L = st.chg_flg_R = 0;
    st.chg_ptr_L = st.chg_ptr_R = 0;
    st.atk_top_L = st.atk_top_R = 0;
    st.upd_ptr_L = st.upd_ptr_R = 0;
    st.bin_half_w = 4;
    st.atk_wait = 4;

    st.intPart_Cnt = 0;
    st.prt_list_top = 0;
    st.hst_cnt = 0;
    steps.part_list_reset(st);

    const int n = st.bins();
    // Frames made ahead need rows of their own in the spectrum histories.
    const int ahead = st.ahead != nullptr ? hst_ahead_max : 0;
    st.spc_hst_L.clear(n, ahead);
    st.spc_hst_R.clear(n, ahead);
    st.chg_hst_L.clear(n);
    st.chg_hst_R.clear(n);

    doc.intPart_Cnt = st.intPart_Cnt;
    std::fill_n(doc.prt_act_flg_L, prt_tbl_cnt, 0);
    std::fill_n(doc.prt_act_flg_R, prt_tbl_cnt, 0);
    std::fill_n(doc.prt_shift_val_L, prt_tbl_cnt, 0);
    std::fill_n(doc.prt_shift_val_R, prt_tbl_cnt, 0);

    st.anlz_ptr = st.anlz_stt_ptr;
    st.anlz_ptr_L = st.anlz_stt_ptr;
    st.anlz_ptr_R = st.anlz_stt_ptr;
    st.hop_L = st.hop_R = 0;
    st.snd_stat = 1;
    // Without a worker the frame loop makes every frame itself.
    if (st.ahead != nullptr && !st.ahead->start(st, doc)) st.ahead = nullptr;
}

// State 3: the finishing steps. The residual part builds the mix itself.
void finish_run(extr_state& st, CTonewarpDoc& doc, extr_steps& steps) {
    steps.de_spike_parts(st, doc);
    steps.add_total_diff_part(st, doc);
    steps.free_coef_area(st, doc);
}

// Change history of the selected channel gets the current frame (run_frame
// has shifted it already): slot 0 = current spectrum minus the previous
// frame's (still in spectrum-history slot 0), and the magnitude increases
// clipped at 0. The current spectrum is in the spectrum history's spare row,
// to become its slot 0 at the end of the frame (push_spectrum); the change's
// real and imaginary parts, which only the registration of a part reads,
// are formed from those rows when first asked for. Magnitudes and their
// increases were made with the frame (run_frame) for the bins below N/2,
// which the frame's tests read; the histories form the others when a
// registration asks for them.
void push_change(extr_state& st, int n, const chg_grid& g) {
    hst_ring& chg = st.chg_hst_X();
    hst_ring& spc = st.spc_hst_X();
    const hst_ring& prev = spc;  // read only: the writable accessors would drop its kept sums
    const int half = n / 2;
    chg.set_diff(0, n, spc.next_re(), spc.next_im(), prev.re(0), prev.im(0));
    chg.defer_increases(0, half, n);
    chg.set_sum_of_abs(0, n);  // the sum of the positive increases
    chg.prv(0) = prev.ptr(0);
    chg.ptr(0) = st.anlz_ptr_X();
    chg.sum_windows(0, g);
}

// Spectrum history of the selected channel gets the current frame (already
// in the spare row, see push_change), with the window sums made for it at
// the start of the frame.
void push_spectrum(extr_state& st, int n, const chg_grid& g) {
    hst_ring& spc = st.spc_hst_X();
    spc.shift();
    spc.defer_magnitudes(0, n / 2, n);
    spc.set_sum_of_abs(0, n);  // the magnitude sum
    spc.ptr(0) = st.anlz_ptr_X();
    if (chg_wsum_valid(st.spc_abs_wsum_tag, g)) {
        spc.set_wsum(0, st.spc_abs_wsum, g);
    } else {
        spc.sum_windows(0, g);
    }
}

// The decisions of one frame, once the run has been loud for N/2 samples:
// a change arms the channel; an armed change that has waited its time is
// classified (new part or re-attack of a known one); otherwise the parts are
// updated every N samples.
void decide(extr_state& st, CTonewarpDoc& doc, extr_steps& steps) {
    const int n = st.frm_len;
    const int pos = st.anlz_ptr_X();
    const bool right = st.is_right();

    if (chk_chg_exist_or_not_in_orgn_dt(st, doc) == chk_yes) {
        st.chg_flg_X() = 1;
        st.chg_ptr_X() = pos;
        return;
    }

    int wait = (8 - st.atk_wait) * n / 8;
    if (wait < 0) wait = n / 8;
    if (st.chg_flg_X() == 1 && static_cast<std::int64_t>(pos) - st.chg_ptr_X() >= wait) {
        st.chg_flg_X() = 0;
        st.atk_top_X() = std::max(0, pos - n);
        if (chk_new_part_add_or_not_in_chg(st, doc) == chk_yes) {
            steps.regist_new_part(st, doc);
        } else {
            steps.update_already_part(st, doc, right ? upd_mode_attack_R : upd_mode_attack_L);
        }
        st.upd_ptr_X() = pos;
        return;
    }

    if (static_cast<std::int64_t>(pos) - st.upd_ptr_X() >= n) {
        st.atk_top_X() = pos - n;
        steps.update_already_part(st, doc, right ? upd_mode_regular_R : upd_mode_regular_L);
        st.upd_ptr_X() = pos;
    }
}

// The samples of the frame at st.frm_top into st.frm_re and their spectrum
// into re / im (see calc_frm_spc).
void frame_into(extr_state& st, CTonewarpDoc& doc, double* re, double* im) {
    const int n = st.bins();
    const std::int64_t frames = doc.orgn_dt != nullptr ? doc.frame_count() : 0;
    frame_samples(doc.orgn_dt, frames, st.frm_top, st.is_right() ? 1 : 0, n, st.frm_re);
    exec_dft_real(n, st.frm_re, re, im);
    st.spc_done = 1;
}

// One frame of the selected channel. Returns false when the run must stop
// (err_stop found set before the transform).
bool run_frame(extr_state& st, CTonewarpDoc& doc, extr_steps& steps) {
    const int n = st.bins();
    st.frm_top = st.anlz_ptr_X();
    st.hop_L = st.hop_R = std::max(1, st.frm_len / 8);  // N/8; never 0, so every frame advances
    if (st.err_stop == 1) return false;

    // The spectrum goes straight into the spectrum history's spare row,
    // which push_change hands to the change and push_spectrum makes slot 0.
    // That row was the older source of the oldest change, which leaves the
    // change history first.
    st.chg_hst_X().shift();
    hst_ring& spc = st.spc_hst_X();
    const hst_ring& prev = spc;  // read only: the writable accessors would drop its kept sums
    const chg_grid g = chg_grid_for(n, st.bin_half_w);
    double volume = 0.0;
    if (st.ahead != nullptr) {
        // Made ahead (engine/frame_ahead.h): the spectrum and its magnitudes
        // below N/2 are in the spare row already; the increases over the
        // previous frame are made here, from the history as it stands.
        const frame_extra& e = st.ahead->take(st.is_right() ? 1 : 0, st.frm_top);
        st.spc_done = 1;
        volume = e.volume;
        frame_changes(n / 2, spc.next_abs(), prev.abs_head(0), st.spc_abs, st.chg_hst_X().refill_abs(0));
        if (e.wsum_tag != chg_wsum_none) std::copy_n(e.wsum, g.count, st.spc_abs_wsum);
        st.spc_abs_wsum_tag = e.wsum_tag;
    } else {
        frame_into(st, doc, spc.next_re(), spc.next_im());
        volume = frame_volume(n, st.frm_re);
        // Magnitudes below N/2, for the frame, for the spectrum history's
        // spare row and as increases over the previous frame's for the new
        // change slot.
        frame_abs_changes(n / 2, spc.next_re(), spc.next_im(), prev.abs_head(0), st.spc_abs, spc.next_abs(),
                          st.chg_hst_X().refill_abs(0));
        // The change test's window sums of this frame's magnitudes; they go
        // into the spectrum history with the frame.
        if (g.tag != chg_wsum_none) chg_window_sums(st.spc_abs, g, st.spc_abs_wsum);
        st.spc_abs_wsum_tag = g.tag;
    }

    push_change(st, n, g);

    if (volume > sys_param.min_vol_prm) {
        if (st.snd_top_ptr < 0) st.snd_top_ptr = st.anlz_ptr_X();
        st.snd_stat = 2;
    }

    if (st.snd_stat == 2 && static_cast<std::int64_t>(st.anlz_ptr_X()) - st.snd_top_ptr >= st.frm_len / 2) {
        decide(st, doc, steps);
    }

    push_spectrum(st, n, g);
    st.spc_abs_wsum_tag = chg_wsum_none;

    if (st.is_right()) {
        st.anlz_ptr_R += st.hop_R;
        st.anlz_ptr = mid_ptr(st);
    } else {
        st.anlz_ptr_L += st.hop_L;
    }
    return true;
}

}  // namespace

void calc_frm_spc(extr_state& st, CTonewarpDoc& doc) { frame_into(st, doc, st.spc_re, st.spc_im); }

int extr_step(extr_state& st, CTonewarpDoc& doc, extr_steps& steps) {
    if (st.extr_stat == 1) {
        start_run(st, doc, steps);
    } else if (st.extr_stat == 3) {
        finish_run(st, doc, steps);
        return 0;
    } else if (st.extr_stat != 2) {
        return 0;
    }

    if (st.err_stop == 1) return 0;
    const std::int64_t two_n = 2 * static_cast<std::int64_t>(st.frm_len);
    const std::int64_t lim_L = st.anlz_ptr_L + two_n;
    const std::int64_t lim_R = st.anlz_ptr_R + two_n;

    for (;;) {
        if (st.err_stop == 1) return 0;
        for (int ch = 1; ch <= 2; ++ch) {
            st.chnl_slct = ch;
            st.anlz_ptr = mid_ptr(st);
            if (st.anlz_ptr_X() >= (ch == 2 ? lim_R : lim_L)) continue;
            if (!run_frame(st, doc, steps)) return 0;
        }
        const bool at_end = st.anlz_ptr_L >= st.anlz_end_ptr && st.anlz_ptr_R >= st.anlz_end_ptr;
        if (at_end) st.extr_stat = 3;
        st.hst_cnt = std::min(hst_depth, st.hst_cnt + 1);
        if (at_end || (st.anlz_ptr_L >= lim_L && st.anlz_ptr_R >= lim_R)) break;
    }
    return 0;
}
