#include "engine/part_regist.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/err_log.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "engine/chg_detect.h"
#include "engine/extr_state.h"
#include "engine/part_access.h"
#include "engine/part_alloc.h"
#include "engine/part_update.h"
#include "engine/similarity.h"
#include "engine/trace_line.h"
#include "engine/work_area.h"

namespace {

constexpr const char* fr_busy = "extern_regist_new_part():  <intUse_fr_1a_F> Allready YES !! ";
constexpr const char* ivdft_busy = "extern_regist_new_part():  <intUse_ivdft_1_F> Allready YES !! ";

// The change that armed the onset test: 8 frames back in the change history.
constexpr int onset_chg_slot = 8;

// Looks, on the right channel, for a part whose left reference pattern has
// this onset's pattern. Returns its index or -1.
int find_right_match(extr_state& st, CTonewarpDoc& doc) {
    const int half = st.bins() / 2;
    const int cnt = doc_part_cnt(doc);
    for (int p = 0; p < cnt; ++p) {
        if (!part_areas_ok(doc, p, part_last_used_slot)) continue;
        for (int d = 0; d < chg_nrm_rows; ++d)
            std::copy_n(doc.h_dblPrtL_Frq_s[spc_idx(p, d + 1)], half, st.prt_cmp[d]);
        st.Peak_Pnt2 = doc.prt_peak_L[p];
        int shift = 0;
        if (chk_same_part_on_both_freq_dt(st, doc, 1, &shift) != chk_yes) continue;
        doc.intNowAtackPartNmb = p + 1;
        doc.intShiftVal = shift;
        if (log_tracing()) {
            std::string line = "<regist_new_part> Rght_同一音源 : ";
            trc_add(line, "intReg_Ptr=%3d ", p);
            trc_add(line, "anlz_ptr=%8ld ", static_cast<long>(st.anlz_ptr));
            trc_add(line, "anlz_ptr_L=%8ld, ", static_cast<long>(st.anlz_ptr_L));
            trc_add(line, "anlz_ptr_R=%8ld, ", static_cast<long>(st.anlz_ptr_R));
            trc_put(line);
        }
        return p;
    }
    return -1;
}

// Starts of the part's first record for channel X; the other channel takes
// the same window start when it has none yet.
void open_first_record(const extr_state& st, msc_prt_inf_t& rec) {
    const bool right = st.is_right();
    const int top = std::max(0, right ? st.atk_top_R : st.atk_top_L);
    std::int32_t& own_opn = right ? rec.opn_R : rec.opn_L;
    std::int32_t& own_stt = right ? rec.stt_orgn_R : rec.stt_orgn_L;
    std::int32_t& oth_opn = right ? rec.opn_L : rec.opn_R;
    std::int32_t& oth_stt = right ? rec.stt_orgn_L : rec.stt_orgn_R;
    if (own_opn != 1) own_stt = top;
    rec.stt_orgn =
        oth_stt > 0 ? static_cast<std::int32_t>((static_cast<std::int64_t>(own_stt) + oth_stt) / 2) : own_stt;
    own_opn = 1;
    if (oth_opn != 1) {
        oth_stt = top;
        oth_opn = 1;
    }
}

// Reference spectra of channel X from change-history slots 8 .. 1, the
// part's peak bin, and on the right the left reference of a part that has
// none. Runs inside the intUse_fr_1a_F guard.
void store_reference(extr_state& st, CTonewarpDoc& doc, int p) {
    const int n = st.bins();
    const int half = n / 2;
    const bool right = st.is_right();
    const part_chan pc = doc_chan(doc, right);
    const hst_ring& chg = st.chg_hst_X();
    auto slot = [&](double** tbl, int s) { return tbl[spc_idx(p, s)]; };

    pc.peak[p] = 0;
    double top = -999.9;

    std::copy_n(chg.re(onset_chg_slot), n, slot(pc.frq_r, 0));
    std::copy_n(chg.im(onset_chg_slot), n, slot(pc.frq_i, 0));
    std::copy_n(chg.abs(onset_chg_slot), n, slot(pc.frq_s, 0));
    if (log_tracing()) {
        std::string line = "<regist_new_part> Frq_s copy : ";
        trc_add(line, "Part_ptr=%3d, ", p);
        trc_add(line, "Old_cnt=%8ld, ", static_cast<long>(chg.prv(onset_chg_slot)));
        trc_add(line, "New_cnt=%8ld, ", static_cast<long>(chg.ptr(onset_chg_slot)));
        trc_add_pos3(line, st);
        trc_put(line);
    }
    {
        double* r = slot(pc.frq_r, 0);
        double* i = slot(pc.frq_i, 0);
        double* s = slot(pc.frq_s, 0);
        for (int j = 0; j < n; ++j) {
            if (s[j] < 0.0) r[j] = i[j] = s[j] = 0.0;
        }
    }

    for (int s = 1; s <= 8; ++s) {
        const int src = onset_chg_slot + 1 - s;  // slot 1 repeats slot 0; slot 8 is the newest change
        std::copy_n(chg.re(src), n, slot(pc.frq_r, s));
        std::copy_n(chg.im(src), n, slot(pc.frq_i, s));
        double* mag = slot(pc.frq_s, s);
        std::copy_n(chg.abs(src), n, mag);
        for (int i = 0; i < half; ++i) {
            if (mag[i] < 0.0) mag[i] = 0.0;
            if (mag[i] > top) {
                top = mag[i];
                pc.peak[p] = i;
            }
        }
    }
    if (top <= 0.0) top = 1.0;
    for (int s = 1; s <= 8; ++s) {
        double* mag = slot(pc.frq_s, s);
        for (int i = 0; i < half; ++i) {
            mag[i] /= top;
            if (!right && mag[i] < 0.0 && log_tracing()) {
                std::string line = "<regist_new_part> Frq_s 異常 : ";
                trc_add(line, "Part_ptr=%3d, i=%4d, ", p, i);
                trc_add(line, "Frq_s=%10.4f, ", mag[i]);
                trc_add_pos3(line, st);
                trc_put(line);
            }
        }
    }

    if (right) {
        // A part first heard on the right gets its right pattern as its left
        // one too, so every part has left reference spectra.
        double left_sum = 0.0;
        for (int s = 1; s <= 8; ++s) {
            const double* mag = doc.h_dblPrtL_Frq_s[spc_idx(p, s)];
            for (int i = 0; i < half; ++i) left_sum += mag[i];
        }
        if (left_sum < 0.1) {
            for (int s = 1; s <= 8; ++s) {
                const int x = spc_idx(p, s);
                std::copy_n(doc.h_dblPrtR_Frq_r[x], n, doc.h_dblPrtL_Frq_r[x]);
                std::copy_n(doc.h_dblPrtR_Frq_i[x], n, doc.h_dblPrtL_Frq_i[x]);
                std::copy_n(doc.h_dblPrtR_Frq_s[x], n, doc.h_dblPrtL_Frq_s[x]);
            }
        }
    }
}

// The onset's waveform: the inverse transform of the channel's slot-0
// spectrum, written from the record's start offset of channel X on. Runs
// inside the intUse_ivdft_1_F guard.
void write_onset_wave(const extr_state& st, CTonewarpDoc& doc, int p, const msc_prt_inf_t& rec) {
    const int n = st.bins();
    const bool right = st.is_right();
    const part_chan pc = doc_chan(doc, right);
    const int x = spc_idx(p, 0);
    exec_ivdft(n, pc.frq_r[x], pc.frq_i[x], ivdft_out_re, ivdft_out_im);
    const std::int64_t cap = part_wave_frames(doc, p);
    const std::int64_t ofs = right ? rec.stt_ofs_R : rec.stt_ofs_L;
    const int ch = right ? 1 : 0;
    for (int i = 0; i < n; ++i) {
        // Truncated toward zero, held inside the 16-bit range.
        const std::int32_t s = trunc_to_i32(ivdft_out_re[i]);
        const std::int64_t f = ofs + i;
        if (f >= 0 && f < cap) put_frame_sample(doc.h_Mem_wv_temp_dt[p], f, ch, to_part_sample(s));
    }
}

}  // namespace

int regist_new_part(extr_state& st, CTonewarpDoc& doc) {
    const bool right = st.is_right();
    const int mode = right ? 3 : 1;
    if (doc.intPart_Cnt >= st.part_max - 1) {
        // One slot stays free for the residual part: update only.
        update_already_part(st, doc, mode);
        return 0;
    }

    int p = -1;
    if (right && doc.intPart_Cnt > 0) p = find_right_match(st, doc);
    const bool is_new = p < 0;
    if (is_new) {
        p = add_run_part(st, doc);
        if (p < 0) return -1;
    }

    st.intPart_Cnt = doc.intPart_Cnt;
    st.prt_mix_flg[p] = 1;
    if (is_new) set_part_name(doc, p);
    if (!part_areas_ok(doc, p, part_last_used_slot)) {
        // Some of its memory could not be had: the part keeps its name and no
        // record, and the run stops here rather than touch a missing area.
        put_err_logf("<regist_new_part> Part_ptr=%3d Area NG !!", p);
        st.prt_disp_flg[p] = 1;
        st.err_stop = 1;
        return -1;
    }
    doc_chan(doc, right).act_flg[p] = 1;

    msc_prt_inf_t& rec = doc.h_Mem_msc_prt_inf[p][0];
    if (is_new) {
        doc.prt_cur_len_L[p] = doc.prt_cur_len_R[p] = 0;
        const std::int32_t ofs = std::max(0, (right ? st.atk_top_R : st.atk_top_L) - st.anlz_stt_ptr);
        rec.stt_ofs = rec.stt_ofs_L = rec.stt_ofs_R = ofs;
        rec.data_cnt = rec.data_cnt_L = rec.data_cnt_R = 0;
        rec.max_len = st.frm_len;
    }
    open_first_record(st, rec);

    if (take_use_flag(intUse_fr_1a_F, fr_busy, st.err_stop) != 0) return -1;
    store_reference(st, doc, p);
    const part_chan pc = doc_chan(doc, right);
    pc.vol[p] = 0.0;
    pc.vol_prv[p] = 0.0;
    release_use_flag(intUse_fr_1a_F);

    if (take_use_flag(intUse_ivdft_1_F, ivdft_busy, st.err_stop) != 0) return -1;
    write_onset_wave(st, doc, p, rec);
    release_use_flag(intUse_ivdft_1_F);

    if (is_new) doc.intPart_Inf_Cnt[p] += 1;
    st.prt_disp_flg[p] = 1;

    update_already_part(st, doc, mode);
    return 0;
}
