#include "engine/onset_test.h"

#include <algorithm>

#include "document/tonewarp_doc.h"
#include "engine/chg_detect.h"
#include "engine/extr_state.h"
#include "engine/similarity.h"
#include "engine/trace.h"
#include "engine/work_area.h"

namespace {

// Change-history slot whose change the part's reference copy takes: the
// change that armed this onset test (8 frames back).
constexpr int onset_chg_slot = 8;

// Loads part p's stored magnitudes of the selected channel, slots 1 .. 8,
// bins below N/2, into rows 0 .. 7 of st.prt_cmp. A missing area (its
// allocation failed) reads as zeros.
void load_part_pattern(extr_state& st, const CTonewarpDoc& doc, int p, int half) {
    double* const* frq_s = st.is_right() ? doc.h_dblPrtR_Frq_s : doc.h_dblPrtL_Frq_s;
    const int n = std::min(half, prt_spc_len);
    for (int d = 0; d < chg_nrm_rows; ++d) {
        const double* src = frq_s[spc_idx(p, d + 1)];
        double* dst = st.prt_cmp[d];
        if (src != nullptr) {
            std::copy_n(src, n, dst);
        } else {
            std::fill_n(dst, n, 0.0);
        }
    }
}

// Trace line of the slot-0 copy, naming the two positions stored with the
// armed change (its previous frame and its frame).
void trace_copy(const extr_state& st, int p, const hst_ring& chg) {
    put_trace_line(
        "<extern_chk_new_part_add_or_not_in_chg> Frq_s copy : Part_ptr=%3d, Old_cnt=%8ld, New_cnt=%8ld, "
        "chnl_slct=%1d anlz_ptr_L=%8ld, anlz_ptr_R=%8ld, ",
        p, static_cast<long>(chg.prv(onset_chg_slot)), static_cast<long>(chg.ptr(onset_chg_slot)),
        st.chnl_slct, static_cast<long>(st.anlz_ptr_L), static_cast<long>(st.anlz_ptr_R));
}

// A known part whose channel is not active yet takes the armed change as its
// current spectrum of that channel (slot 0: real, imaginary, magnitude).
void copy_change_into_part(extr_state& st, CTonewarpDoc& doc, int p) {
    const hst_ring& chg = st.chg_hst_X();
    const bool right = st.is_right();
    double* dst_r = (right ? doc.h_dblPrtR_Frq_r : doc.h_dblPrtL_Frq_r)[spc_idx(p, 0)];
    double* dst_i = (right ? doc.h_dblPrtR_Frq_i : doc.h_dblPrtL_Frq_i)[spc_idx(p, 0)];
    double* dst_s = (right ? doc.h_dblPrtR_Frq_s : doc.h_dblPrtL_Frq_s)[spc_idx(p, 0)];
    const int n = std::min(st.bins(), prt_spc_len);
    if (dst_r != nullptr) std::copy_n(chg.re(onset_chg_slot), n, dst_r);
    if (dst_i != nullptr) std::copy_n(chg.im(onset_chg_slot), n, dst_i);
    if (dst_s != nullptr) std::copy_n(chg.abs(onset_chg_slot), n, dst_s);

    if (!log_tracing()) return;
    trace_copy(st, p, chg);
    if (dst_s == nullptr) return;
    for (int i = 0; i < n / 2; ++i) {
        if (dst_s[i] < 0.0) {
            put_trace_line(
                "<extern_chk_new_part_add_or_not_in_chg> Frq_s 異常_1 : Part_ptr=%3d, i=%4d, "
                "Frq_s=%10.4f, chnl_slct=%1d anlz_ptr_L=%8ld, anlz_ptr_R=%8ld, ",
                p, i, dst_s[i], st.chnl_slct, static_cast<long>(st.anlz_ptr_L),
                static_cast<long>(st.anlz_ptr_R));
        }
    }
}

int decide(extr_state& st, CTonewarpDoc& doc) {
    doc.intNowAtackPartNmb = 0;
    doc.intShiftVal = 0;

    // Recent-change pattern: row d = change-history slot 8 - d (oldest first),
    // negative values as 0, scaled by the maximum when that is positive.
    const int half = st.bins() / 2;
    const hst_ring& chg = st.chg_hst_X();
    double peak = -1.0;
    int peak_bin = 0;
    for (int d = 0; d < chg_nrm_rows; ++d) {
        const double* src = chg.abs_head(onset_chg_slot - d);  // bins below N/2 only
        double* dst = st.chg_nrm[d];
        for (int j = 0; j < half; ++j) {
            const double v = src[j] < 0.0 ? 0.0 : src[j];
            dst[j] = v;
            if (v > peak) {
                peak = v;
                peak_bin = j;
            }
        }
    }
    st.Peak_Pnt1 = peak_bin;
    if (peak > 0.0) {
        for (int d = 0; d < chg_nrm_rows; ++d) {
            for (int j = 0; j < half; ++j) st.chg_nrm[d][j] /= peak;
        }
    }

    // The first known part with the same pattern is the one attacking again.
    const int parts = std::clamp(static_cast<int>(doc.intPart_Cnt), 0, prt_tbl_cnt);
    const std::int32_t* peaks = st.is_right() ? doc.prt_peak_R : doc.prt_peak_L;
    int match = -1;
    int shift = 0;
    for (int p = 0; p < parts; ++p) {
        load_part_pattern(st, doc, p, half);
        st.Peak_Pnt2 = peaks[p];
        if (chk_same_part_on_both_freq_dt(st, doc, 1, &shift) == chk_yes) {
            match = p;
            break;
        }
    }

    if (match < 0) {
        put_trace_line(
            "<chk_new_part_add_or_not_in_chg> 新パート : anlz_ptr=%8ld, chnl_slct=%1d anlz_ptr_L=%8ld, "
            "anlz_ptr_R=%8ld, ",
            static_cast<long>(st.anlz_ptr), st.chnl_slct, static_cast<long>(st.anlz_ptr_L),
            static_cast<long>(st.anlz_ptr_R));
        return chk_yes;
    }

    doc.intNowAtackPartNmb = match + 1;
    doc.intShiftVal = shift;
    const std::int32_t* act = st.is_right() ? doc.prt_act_flg_R : doc.prt_act_flg_L;
    if (act[match] == 0) copy_change_into_part(st, doc, match);
    put_trace_line(
        "<chk_new_part_add_or_not_in_chg> 既存音源立上 : intNowAtackPartNmb=%5d, intShiftVal=%5d, "
        "anlz_ptr=%8ld, chnl_slct=%1d anlz_ptr_L=%8ld, anlz_ptr_R=%8ld, ",
        doc.intNowAtackPartNmb, doc.intShiftVal, static_cast<long>(st.anlz_ptr), st.chnl_slct,
        static_cast<long>(st.anlz_ptr_L), static_cast<long>(st.anlz_ptr_R));
    return chk_no;
}

}  // namespace

int chk_new_part_add_or_not_in_chg(extr_state& st, CTonewarpDoc& doc) {
    const int result = decide(st, doc);
    release_use_flag(intUse_fr_1a_F);
    return result;
}
