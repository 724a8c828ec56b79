#include "engine/part_update.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "app/err_log.h"
#include "app/sys_param.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "engine/coef_area.h"
#include "engine/extr_state.h"
#include "engine/part_access.h"
#include "engine/part_update_bins.h"
#include "engine/peak_search.h"
#include "engine/trace_line.h"
#include "engine/work_area.h"

namespace {

constexpr const char* fr_busy = "extern_update_already_part():  <intUse_fr_1a_F> Allready YES !! ";
constexpr const char* ivdft_busy = "extern_update_already_part():  <intUse_ivdft_1_F> Allready YES !! ";

// Everything one call works with, gathered once.
struct upd_ctx {
    extr_state& st;
    CTonewarpDoc& doc;
    part_chan pc;
    int n;                  // N
    int half;               // N/2
    int cnt;                // parts
    int win;                // window start of this channel
    const double* co_r_1a;  // the frame being distributed (spectrum-history slot 7)
    const double* co_i_1a;
    double rate[prt_tbl_cnt];        // max(0, rate) of each active part, 0 for silent ones
    bool active[prt_tbl_cnt];        // active flag is 1 and the part's current spectrum exists
    const double* mag[prt_tbl_cnt];  // slot-0 magnitudes of this channel (null when missing)
};

bool in_trace_window(const extr_state& st, int i) {
    const int a = st.anlz_ptr;
    const bool at = (a >= 1024 && a <= 2048) || (a >= 8192 && a <= 9216);
    return at && (i == 5 || i == 242 || i == 255);
}

// Phase 1: a known part attacks again.
void book_reattack(upd_ctx& c) {
    CTonewarpDoc& doc = c.doc;
    const int a = doc.intNowAtackPartNmb;
    if (a < 1 || a > c.cnt) return;
    const int k = a - 1;
    const bool right = c.st.is_right();
    if (doc.prt_act_flg_L[k] != 1 && doc.prt_act_flg_R[k] != 1 && doc.h_Mem_msc_prt_inf[k] != nullptr) {
        if (doc.intPart_Inf_Cnt[k] >= prt_inf_rec_cnt) {
            // The area is full: the part goes on in its last episode.
            put_err_logf("<update_already_part> intPart_Inf_Cnt[%3d]=%5d Limit reached !!", k,
                         doc.intPart_Inf_Cnt[k]);
        } else {
            const int idx = std::max(doc.intPart_Inf_Cnt[k], 0);
            doc.intPart_Inf_Cnt[k] = idx + 1;
            msc_prt_inf_t& rec = doc.h_Mem_msc_prt_inf[k][idx];
            const int stt = c.st.anlz_stt_ptr;
            auto open_l = [&](int top) {
                rec.stt_ofs_L = top - stt;
                rec.data_cnt_L = 0;
                rec.stt_orgn_L = top;
                rec.max_len = c.n;
                rec.opn_L = 1;
            };
            auto open_r = [&](int top) {
                rec.stt_ofs_R = top - stt;
                rec.data_cnt_R = 0;
                rec.stt_orgn_R = top;
                rec.max_len = c.n;
                rec.opn_R = 1;
            };
            if (right) {
                open_r(c.win);
                if (rec.opn_L != 1) open_l(c.st.atk_top_L);
            } else {
                open_l(c.win);
                if (rec.opn_R != 1) open_r(c.st.atk_top_R);
            }
            if (log_tracing()) {
                std::string line = "<update_already_part> 再度立上 : ";
                trc_add(line, "intPart_Ptr=%3d ", k);
                trc_add(line, "intPart_Inf_Ptr=%4d ", idx);
                trc_add(line, "put_ptr=%4d ", std::max(rec.stt_ofs_L, rec.stt_ofs_R));
                trc_add_pos4(line, c.st);
                trc_put(line);
            }
        }
    }
    c.pc.act_flg[k] = 1;
    c.pc.shift_val[k] = doc.intShiftVal;
}

void trace_negative(const upd_ctx& c, const char* tag, int k, const double* mag) {
    for (int i = 0; i < c.half; ++i) {
        if (mag[i] < 0.0) {
            std::string line = tag;
            trc_add(line, "Part_ptr=%3d, i=%4d, ", k, i);
            trc_add(line, "Frq_s=%10.4f, ", mag[i]);
            trc_add_pos3(line, c.st);
            trc_put(line);
        }
    }
}

// Phase 2: rates from the coefficient system, or 1.0 for a single part.
void solve_rates(upd_ctx& c) {
    CTonewarpDoc& doc = c.doc;
    if (c.cnt < 2) {
        doc.dblCC_EndAns[0] = 1.0;
        return;
    }
    coef_fill_start(c.st, doc, c.cnt);
    for (int k = 0; k < c.cnt; ++k) {
        if (log_tracing() && c.mag[k] != nullptr) {
            trace_negative(c, "<update_already_part> Frq_s 異常_2 : ", k, c.mag[k]);
        }
        if (!c.active[k]) {
            coef_add_row(c.st, doc, 0.0, 0);  // an empty row: the silent part's zero column
            continue;
        }
        int peaks[4] = {0, 0, 0, 0};
        const int found = srch_peak(4, c.half, c.mag[k], peaks);
        if (log_tracing()) {
            std::string line = "<update_already_part> ピーク検索 : ";
            trc_add(line, "Part=%3d, ", k);
            trc_add(line, "SrchCnt=%3d ", found);
            for (int q = 0; q < 4; ++q) trc_add(line, "Peak[%d]=%3d ", q, peaks[q]);
            trc_add_pos4(line, c.st);
            trc_put(line);
        }
        for (int f = 0; f < found; ++f) {
            const int q = peaks[f];
            if (coef_has_row_bin(doc, q)) continue;
            double* row = coef_add_row(c.st, doc, c.st.spc_abs[q], q);
            if (row == nullptr) break;
            for (int j = 0; j < c.cnt; ++j) row[j] = c.active[j] ? c.mag[j][q] : 0.0;
        }
    }
    const int g = coef_compact_and_solve(c.st, doc);
    // Parts from index g on are outside the system: they keep the solver's
    // start value (1.0 when active on this channel, else 0.0), i.e. they are
    // carried on unchanged rather than taking a stale rate.
    for (int k = g; k < c.cnt; ++k) doc.dblCC_EndAns[k] = c.active[k] ? 1.0 : 0.0;
}

// Phase 3: the rates in use and their sum.
double distribute_rates(upd_ctx& c) {
    double* ans = c.doc.dblCC_EndAns;
    double sum = 0.0;
    for (int k = 0; k < c.cnt; ++k) {
        const bool on = c.active[k];
        if (log_tracing()) {
            std::string line =
                on ? "<update_already_part> 音圧配分 ON  : " : "<update_already_part> 音圧配分 OFF : ";
            trc_add(line, "dblRate_Tgt[%3d]=%10.4f, ", k, ans[k]);
            trc_add_pos4(line, c.st);
            trc_put(line);
        }
        if (on) {
            c.rate[k] = std::max(0.0, ans[k]);
            sum += c.rate[k];
        } else {
            ans[k] = 0.0;
            c.rate[k] = 0.0;
        }
    }
    if (!(sum > 0.0) || c.cnt == 0) sum = 1.0;
    return sum;
}

// Phase 4: per bin, the residual of the frame and Rate_Sm2.
void error_component(upd_ctx& c) {
    CTonewarpDoc& doc = c.doc;
    double* res_r = doc.dblCC_R_Vct;
    double* res_i = doc.dblCC_P_Vct;
    double* sm2v = doc.dblCC_W_Vct;
    const bool multi = c.cnt >= 2;
    int on[prt_tbl_cnt];
    int on_cnt = 0;
    for (int k = 0; k < c.cnt; ++k) {
        if (c.active[k]) on[on_cnt++] = k;
    }
    if (!log_tracing()) {
        // The same per bin, several bins side by side.
        double rate[prt_tbl_cnt];
        const double* mag[prt_tbl_cnt];
        for (int a = 0; a < on_cnt; ++a) rate[a] = c.rate[on[a]], mag[a] = c.mag[on[a]];
        upd_rate_sm2(c.n, on_cnt, rate, mag, sm2v);
        if (multi) {
            upd_residual(c.n, on_cnt, rate, mag, sm2v, c.co_r_1a, c.co_i_1a, res_r, res_i);
        } else {
            std::fill_n(res_r, c.n, 0.0);
            std::fill_n(res_i, c.n, 0.0);
        }
        return;
    }
    for (int i = 0; i < c.n; ++i) {
        res_r[i] = multi ? c.co_r_1a[i] : 0.0;
        res_i[i] = multi ? c.co_i_1a[i] : 0.0;
        double sm2 = 0.0;
        for (int a = 0; a < on_cnt; ++a) sm2 += c.rate[on[a]] * c.mag[on[a]][i];
        if (!(sm2 > 0.0)) sm2 = 0.0;
        sm2v[i] = sm2;
        if (multi && sm2 > 0.0) {
            for (int a = 0; a < on_cnt; ++a) {
                const int k = on[a];
                const double m = c.mag[k][i];
                if (log_tracing() && i < c.half && m < 0.0) {
                    std::string line = "<update_already_part> Frq_s 異常_3 : ";
                    trc_add(line, "i=%4d, Part_ptr=%3d, ", i, k);
                    trc_add(line, "Frq_s=%10.4f, ", m);
                    trc_add_pos3(line, c.st);
                    trc_put(line);
                }
                const double share = c.rate[k] * m / sm2;
                res_r[i] -= c.co_r_1a[i] * share;
                res_i[i] -= c.co_i_1a[i] * share;
            }
        }
        if (log_tracing() && in_trace_window(c.st, i)) {
            std::string line = "<update_already_part> 誤差成分 : ";
            trc_add(line, "Rate_Sm2=%10.4f, ", sm2);
            trc_add(line, "CC_R_Vct[%3d]=%14.4f, ", i, res_r[i]);
            trc_add(line, "CC_P_Vct[%3d]=%14.4f, ", i, res_i[i]);
            trc_add_pos4(line, c.st);
            trc_put(line);
        }
    }
}

void trace_over_one(const upd_ctx& c, int k, int i, double rate_sum, double rate_tgt, double tgt2) {
    const CTonewarpDoc& doc = c.doc;
    std::string line = "<update_already_part> 算出結果率 Ovr_1.0 !! : ";
    if (c.st.is_right()) {
        trc_add(line, "Part_ptr=%4d ", k);
    } else {
        trc_add(line, "Part_ptr=%3d ,", k);
    }
    trc_add(line, "Rate_Sum=%10.4f, ", rate_sum);
    trc_add(line, "Rate_Tgt=%10.4f, ", rate_tgt);
    trc_add(line, "Rate_Sm2=%10.4f, ", doc.dblCC_W_Vct[i]);
    trc_add(line, "Rate_Tgt2=%10.4f, ", tgt2);
    trc_add(line, "Frq_s[%3d]=%10.4f, ", i, c.mag[k][i]);
    trc_add(line, "co_r_1[%3d]=%10.4f, ", i, co_r_1[i]);
    trc_add(line, "co_i_1[%3d]=%10.4f, ", i, co_i_1[i]);
    trc_add(line, "co_r_Tbl[%3d]=%10.4f, ", i, c.co_r_1a[i]);
    trc_add(line, "co_i_Tbl[%3d]=%10.4f, ", i, c.co_i_1a[i]);
    trc_add(line, "CC_R_Vct[%3d]=%10.4f, ", i, doc.dblCC_R_Vct[i]);
    trc_add(line, "CC_P_Vct[%3d]=%10.4f, ", i, doc.dblCC_P_Vct[i]);
    trc_add_pos4(line, c.st);
    trc_put(line);
}

void trace_result_rate(const upd_ctx& c, int i, double rate_tgt, double tgt2) {
    const CTonewarpDoc& doc = c.doc;
    std::string line = "<update_already_part> 算出結果率 : ";
    trc_add(line, "Rate_Sm2=%10.4f, ", doc.dblCC_W_Vct[i]);
    trc_add(line, "Rate_Tgt=%10.4f, ", rate_tgt);
    trc_add(line, "Rate_Tgt2=%10.4f, ", tgt2);
    trc_add(line, "co_r_1[%3d]=%10.4f, ", i, co_r_1[i]);
    trc_add(line, "co_i_1[%3d]=%10.4f, ", i, co_i_1[i]);
    trc_add(line, "co_r_1a[%3d]=%10.4f, ", i, c.co_r_1a[i]);
    trc_add(line, "co_i_1a[%3d]=%10.4f, ", i, c.co_i_1a[i]);
    trc_add(line, "CC_R_Vct[%3d]=%10.4f, ", i, doc.dblCC_R_Vct[i]);
    trc_add(line, "CC_P_Vct[%3d]=%10.4f, ", i, doc.dblCC_P_Vct[i]);
    trc_add_pos4(line, c.st);
    trc_put(line);
}

// Phase 5: part k's new spectrum into co_r_1 / co_i_1 / fr_co_s_1a, and its volume.
void new_part_spectrum(upd_ctx& c, int k, double rate_sum) {
    const CTonewarpDoc& doc = c.doc;
    const double r = c.rate[k];
    const double rate_tgt = r / rate_sum;
    const double* mag = c.mag[k];
    const double* sm2 = doc.dblCC_W_Vct;
    const double* res_r = doc.dblCC_R_Vct;
    const double* res_i = doc.dblCC_P_Vct;
    const bool tracing = log_tracing();
    double vol = 0.0;
    if (!tracing) {
        // The same per bin, several bins side by side, and the volume added
        // in bin order.
        vol = upd_part_spectrum(c.n, r, rate_tgt, mag, sm2, res_r, res_i, c.co_r_1a, c.co_i_1a, co_r_1,
                                co_i_1, fr_co_s_1a);
    }
    for (int i = 0; tracing && i < c.n; ++i) {
        double tgt2 = 0.0;
        if (sm2[i] > 0.0) {
            tgt2 = r * mag[i] / sm2[i];
            if (!(tgt2 > 0.0)) tgt2 = 0.0;
        }
        co_r_1[i] = res_r[i] * rate_tgt + c.co_r_1a[i] * tgt2;
        co_i_1[i] = res_i[i] * rate_tgt + c.co_i_1a[i] * tgt2;
        fr_co_s_1a[i] = std::sqrt(co_r_1[i] * co_r_1[i] + co_i_1[i] * co_i_1[i]);
        vol += fr_co_s_1a[i];
        if (tracing) {
            if (tgt2 > 1.0 || std::fabs(c.co_r_1a[i]) < std::fabs(co_r_1[i]) ||
                std::fabs(c.co_i_1a[i]) < std::fabs(co_i_1[i])) {
                trace_over_one(c, k, i, rate_sum, rate_tgt, tgt2);
            }
            if (in_trace_window(c.st, i)) trace_result_rate(c, i, rate_tgt, tgt2);
            if (fr_co_s_1a[i] < 0.0) {
                std::string line = "<update_already_part> Frq_s 異常_4 : ";
                trc_add(line, "fr_co_s_1a[%3d]=%10.4f, ", i, fr_co_s_1a[i]);
                trc_put(line);
            }
        }
    }
    c.pc.vol_prv[k] = c.pc.vol[k];
    c.pc.vol[k] = vol;
    if (tracing) {
        std::string line = "<update_already_part> 現在音圧 : ";
        trc_add(line, "dblVolAdd[%3d]=%10.4f, ", k, vol);
        trc_add_pos4(line, c.st);
        trc_put(line);
    }
}

// Phase 6: the new spectrum becomes the part's current spectrum (slot 0).
void store_part_spectrum(upd_ctx& c, int k) {
    const int s0 = spc_idx(k, 0);
    std::copy_n(co_r_1, c.n, c.pc.frq_r[s0]);
    std::copy_n(co_i_1, c.n, c.pc.frq_i[s0]);
    std::copy_n(fr_co_s_1a, c.n, c.pc.frq_s[s0]);
    if (log_tracing()) trace_negative(c, "<update_already_part> Frq_s 異常_5 : ", k, c.pc.frq_s[s0]);
}

// Phase 7: resynthesis of part k's frame into its waveform (samples held
// inside the 16-bit range), its episode length and the switch-off test. The
// inverse-transform output is held.
void resynth_part(upd_ctx& c, int k) {
    CTonewarpDoc& doc = c.doc;
    const bool right = c.st.is_right();
    exec_ivdft(c.n, co_r_1, co_i_1, ivdft_out_re, ivdft_out_im);

    const std::int64_t cap = part_wave_frames(doc, k);
    const std::int64_t limit =
        std::min<std::int64_t>(cap, static_cast<std::int64_t>(c.st.anlz_end_ptr) - c.st.anlz_stt_ptr);
    unsigned char* wave = doc.h_Mem_wv_temp_dt[k];
    const std::int64_t base = static_cast<std::int64_t>(c.win) - c.st.anlz_stt_ptr;
    const int ch = right ? 1 : 0;
    std::int32_t smp[dft_max_len];
    c.pc.wv_lvl[k] = upd_wave_samples(c.n, c.half, ivdft_out_re, smp);
    // Samples i0 .. i1 - 1 fall inside the part's wave.
    const std::int64_t i0 = std::clamp<std::int64_t>(-base, 0, c.n);
    const std::int64_t i1 = std::clamp<std::int64_t>(limit - base, i0, c.n);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // Stored in place: the wave holds little-endian 16-bit samples, two per frame.
    typedef std::int16_t __attribute__((may_alias)) sample16;
    sample16* out = reinterpret_cast<sample16*>(wave + 4 * base) + ch;
    for (std::int64_t i = i0; i < i1; ++i) out[2 * i] = to_part_sample(smp[i]);
#else
    for (std::int64_t i = i0; i < i1; ++i) put_frame_sample(wave, base + i, ch, to_part_sample(smp[i]));
#endif

    if (doc.h_Mem_msc_prt_inf[k] != nullptr) {
        const int cnt_inf = part_inf_cnt(doc, k);
        msc_prt_inf_t& rec = doc.h_Mem_msc_prt_inf[k][cnt_inf > 0 ? cnt_inf - 1 : 0];
        const std::int64_t e =
            std::min<std::int64_t>(static_cast<std::int64_t>(c.win) + c.n, c.st.anlz_end_ptr);
        std::int32_t& len = right ? rec.data_cnt_R : rec.data_cnt_L;
        len = static_cast<std::int32_t>(e - (right ? rec.stt_orgn_R : rec.stt_orgn_L));
        if (rec.max_len < len) rec.max_len = len;
        c.pc.cur_len[k] = rec.max_len;
    }
}

}  // namespace

int update_already_part(extr_state& st, CTonewarpDoc& doc, int mode) {
    if (doc.dblCoefMatrix == nullptr || doc.dblCC_EndAns == nullptr || doc.dblCC_R_Vct == nullptr ||
        doc.dblCC_P_Vct == nullptr || doc.dblCC_W_Vct == nullptr || doc.dblCC_ValVct == nullptr ||
        doc.dblCC_SttAns == nullptr || doc.dblCC_NxtAns == nullptr || doc.dblCC_Y_Vct == nullptr) {
        // Without its areas the run cannot go on.
        put_err_log("<update_already_part> dblCoefMatrix NG !!");
        st.err_stop = 1;
        return 0;
    }
    upd_ctx c{st,
              doc,
              doc_chan(doc, st.is_right()),
              st.bins(),
              st.bins() / 2,
              doc_part_cnt(doc),
              st.atk_top_X(),
              st.spc_hst_X().re(7),
              st.spc_hst_X().im(7),
              {},
              {},
              {}};

    if (mode == 1 || mode == 3 || mode == 5) book_reattack(c);

    for (int k = 0; k < c.cnt; ++k) {
        const int s0 = spc_idx(k, 0);
        const bool have = c.pc.frq_r[s0] != nullptr && c.pc.frq_i[s0] != nullptr &&
                          c.pc.frq_s[s0] != nullptr && doc.h_Mem_wv_temp_dt[k] != nullptr;
        c.mag[k] = have ? c.pc.frq_s[s0] : nullptr;
        c.active[k] = have && c.pc.act_flg[k] == 1;
    }

    solve_rates(c);
    const double rate_sum = distribute_rates(c);
    error_component(c);

    const double min_vol = sys_param.min_vol_prm;
    for (int k = 0; k < c.cnt; ++k) {
        if (!c.active[k]) {
            c.pc.vol_prv[k] = c.pc.vol[k];
            c.pc.vol[k] = 0.0;
            c.pc.cur_len[k] = 0;
            continue;
        }
        if (take_use_flag(intUse_fr_1a_F, fr_busy, st.err_stop) != 0) return 0;
        new_part_spectrum(c, k, rate_sum);
        store_part_spectrum(c, k);
        if (take_use_flag(intUse_ivdft_1_F, ivdft_busy, st.err_stop) != 0) {
            release_use_flag(intUse_fr_1a_F);  // ours: give it back, the run stops anyway
            return 0;
        }
        resynth_part(c, k);
        release_use_flag(intUse_fr_1a_F);
        release_use_flag(intUse_ivdft_1_F);
        if (c.pc.vol[k] < min_vol || c.pc.wv_lvl[k] < min_vol) {
            c.pc.act_flg[k] = 0;
            c.pc.cur_len[k] = 0;
        }
    }
    return 0;
}
