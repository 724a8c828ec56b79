#include "engine/chg_detect.h"

#include "app/sys_param.h"
#include "engine/extr_state.h"
#include "engine/trace.h"

namespace {

// Thresholds a recent window sum must strictly exceed for its bin to
// qualify: the oldest recent frame (s = W) and all newer ones.
constexpr double chg_oldest_min = 30000.0;
constexpr double chg_recent_min = 10000.0;
// Scales that bring both rates into the range of the similar-sound parameter.
constexpr double chg_rate1_scale = 3000.0;
constexpr double chg_rate2_scale = 5000.0;

const char* const chg_tag = "<chk_chg_exist_or_not_in_orgn_dt> 変化有り_0 : ";

double window_sum(const double* v, int lo, int hi) {
    double s = 0.0;
    for (int j = lo; j <= hi; ++j) s += v[j];
    return s;
}

}  // namespace

int chk_chg_exist_or_not_in_orgn_dt(extr_state& st, CTonewarpDoc& doc) {
    (void)doc;
    if (st.chg_flg_X() == 1) return chk_no;

    const int n = st.bins();
    const int h = st.bin_half_w;
    const int w = st.atk_wait;

    if (st.snd_top_ptr >= 0) {
        const long long d = static_cast<long long>(st.anlz_ptr_X()) - st.snd_top_ptr;
        if (d < static_cast<long long>(w) * n / 8) return chk_no;
        if (d < n) {
            put_trace_line("%sanlz_ptr=%8ld, chnl_slct=%1d anlz_ptr_L=%8ld, anlz_ptr_R=%8ld, ", chg_tag,
                           static_cast<long>(st.anlz_ptr), st.chnl_slct, static_cast<long>(st.anlz_ptr_L),
                           static_cast<long>(st.anlz_ptr_R));
            return chk_yes;
        }
    }

    // The reference frames are spectrum-history slots W+2 .. W (frames W+3 ..
    // W+1 back) and the recent ones change-history slots W .. 1 plus the
    // current frame: all must lie inside the 16-slot histories.
    if (h < 0 || w < 0 || w + 2 >= hst_depth) return chk_no;

    const hst_ring& spc = st.spc_hst_X();
    const hst_ring& chg = st.chg_hst_X();
    const int step = h / 2 > 0 ? h / 2 : 1;

    double a_all = 0.0;  // reference total
    double a_tot = 0.0;  // recent total
    double a_ena = 0.0;  // recent total of the qualifying bins
    for (int k = h; k < n / 2 - h; k += step) {
        const int lo = k - h;
        const int hi = k + h;
        for (int s = w + 3; s >= w + 1; --s) a_all += window_sum(spc.abs(s - 1), lo, hi);
        bool qualifies = true;
        double recent = 0.0;
        for (int s = w; s >= 0; --s) {
            const double c = window_sum(s == 0 ? st.spc_abs : chg.abs(s), lo, hi);
            a_tot += c;
            recent += c;
            if (!(c > (s == w ? chg_oldest_min : chg_recent_min))) qualifies = false;
        }
        if (qualifies) a_ena += recent;
    }

    const double sim = sys_param.sim_snd_prm;
    const double rate1 = a_all > 0.0 ? a_tot * chg_rate1_scale / a_all : 0.0;
    const double rate = (rate1 > sim && a_tot > 0.0) ? a_ena * chg_rate2_scale / a_tot : 0.0;
    if (rate <= sim) return chk_no;

    // The qualified total is logged as 0, as the log line always had it.
    put_trace_line(
        "%sRate_Sum=%10.4f, Area_Ena_Sum=%10.4f, Area_All_Sum=%10.4f, anlz_ptr=%8ld, chnl_slct=%1d "
        "anlz_ptr_L=%8ld, anlz_ptr_R=%8ld, ",
        chg_tag, rate, 0.0, a_all, static_cast<long>(st.anlz_ptr), st.chnl_slct,
        static_cast<long>(st.anlz_ptr_L), static_cast<long>(st.anlz_ptr_R));
    return chk_yes;
}
