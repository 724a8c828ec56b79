#include "engine/chg_detect.h"

#include <cmath>
#include <limits>

#include "app/sys_param.h"
#include "engine/chg_window.h"
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

// The three totals of the test.
struct chg_totals {
    double a_all = 0.0;  // reference total
    double a_tot = 0.0;  // recent total
    double a_ena = 0.0;  // recent total of the qualifying bins
};

// Window sums read from the sums the frame loop keeps beside each array.
struct cached_sums {
    const hst_ring& spc;
    const hst_ring& chg;
    const double* cur;
    double ref(int s, int i) const { return spc.wsum(s - 1)[i]; }  // spectrum s frames back
    double recent(int s, int i) const { return s == 0 ? cur[i] : chg.wsum(s)[i]; }
};

// Window sums summed here and now.
struct direct_sums {
    const hst_ring& spc;
    const hst_ring& chg;
    const double* cur;
    const chg_grid& g;
    static double window(const double* v, int lo, int width) {
        double s = 0.0;
        for (int j = lo; j < lo + width; ++j) s += v[j];
        return s;
    }
    double ref(int s, int i) const { return window(spc.abs(s - 1), i * g.step, 2 * g.h + 1); }
    double recent(int s, int i) const { return window(s == 0 ? cur : chg.abs(s), i * g.step, 2 * g.h + 1); }
};

// Over the windows in order: the reference sums of the frames W + 3 .. W + 1
// back into a_all; the recent sums of the frames W .. 0 back into a_tot and,
// when all of them exceed their thresholds, into a_ena.
template <class Sums>
chg_totals sum_totals(const Sums& sums, const chg_grid& g, int w) {
    chg_totals t;
    for (int i = 0; i < g.count; ++i) {
        for (int s = w + 3; s >= w + 1; --s) t.a_all += sums.ref(s, i);
        bool qualifies = true;
        double recent = 0.0;
        for (int s = w; s >= 0; --s) {
            const double c = sums.recent(s, i);
            t.a_tot += c;
            recent += c;
            if (!(c > (s == w ? chg_oldest_min : chg_recent_min))) qualifies = false;
        }
        if (qualifies) t.a_ena += recent;
    }
    return t;
}

// The rates of the test from its totals: true when the second rate exceeds
// the similar-sound parameter S.
bool rates_say_change(const chg_totals& t, double sim, double& rate) {
    const double rate1 = t.a_all > 0.0 ? t.a_tot * chg_rate1_scale / t.a_all : 0.0;
    rate = (rate1 > sim && t.a_tot > 0.0) ? t.a_ena * chg_rate2_scale / t.a_tot : 0.0;
    return rate > sim;
}

// The totals again, from cached sums, but added four windows side by side
// instead of one after the other (chg_quick_totals). Every term is a sum of
// magnitudes or of magnitude increases, so none is negative, and then any
// order of adding m terms lies within a relative m * 2^-53 (about 3e-13
// here) of their true sum; the test's own totals and these are therefore
// within 1e-12 of each other. The qualifying windows are the very ones of
// the test.
// A negative sum (never one of the frame loop's) makes the totals NaN, so
// that the test's own totals decide.
chg_totals quick_totals(const cached_sums& sums, const chg_grid& g, int w) {
    chg_rows rows{};
    for (int s = w + 3; s >= w + 1; --s) rows.ref[w + 3 - s] = sums.spc.wsum(s - 1);
    rows.recent_cnt = w + 1;
    for (int s = w; s >= 0; --s) rows.recent[w - s] = s == 0 ? sums.cur : sums.chg.wsum(s);
    double out[3];
    if (!chg_quick_totals(rows, g.count, chg_oldest_min, chg_recent_min, out)) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {nan, nan, nan};
    }
    return {out[0], out[1], out[2]};
}

// Relative distance from a rate computed from quick totals within which the
// rate from the test's own totals may lie: the totals' 1e-12 twice plus the
// rounding of the quotient, with a wide margin.
constexpr double quick_margin = 1e-9;

// x > sim for every x within quick_margin of v (v >= 0): 1 surely, 0 surely
// not, -1 too close to tell.
int surely_above(double v, double sim) {
    if (v - v * quick_margin > sim) return 1;
    if (v + v * quick_margin < sim) return 0;
    return -1;
}

// The decision from quick totals: 1 change, 0 none, -1 too close to tell.
int quick_decision(const chg_totals& q, double sim) {
    if (!std::isfinite(q.a_all) || !std::isfinite(q.a_tot) || !std::isfinite(q.a_ena)) return -1;
    // A total is 0 exactly when all its terms are 0, in any order.
    const int first =
        q.a_all > 0.0 ? surely_above(q.a_tot * chg_rate1_scale / q.a_all, sim) : (0.0 > sim ? 1 : 0);
    if (first < 0) return -1;
    if (first == 0 || !(q.a_tot > 0.0)) return 0.0 > sim ? 1 : 0;  // the second rate is 0
    return surely_above(q.a_ena * chg_rate2_scale / q.a_tot, sim);
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
    const chg_grid g = chg_grid_for(n, h);
    const double sim = sys_param.sim_snd_prm;

    // With the frame loop's sums for every array the test reads, and no trace
    // line to write, quick totals settle the answer unless a rate lies too
    // close to S; the test's own totals are formed only then.
    bool cached = chg_wsum_valid(st.spc_abs_wsum_tag, g);
    for (int s = w + 3; cached && s >= w + 1; --s) cached = chg_wsum_valid(spc.wsum_tag(s - 1), g);
    for (int s = w; cached && s >= 1; --s) cached = chg_wsum_valid(chg.wsum_tag(s), g);
    chg_totals t;
    if (cached) {
        const cached_sums sums{spc, chg, st.spc_abs_wsum};
        if (!log_tracing()) {
            const int quick = quick_decision(quick_totals(sums, g, w), sim);
            if (quick >= 0) return quick == 1 ? chk_yes : chk_no;
        }
        t = sum_totals(sums, g, w);
    } else {
        t = sum_totals(direct_sums{spc, chg, st.spc_abs, g}, g, w);
    }
    double rate = 0.0;
    if (!rates_say_change(t, sim, rate)) return chk_no;

    // The qualified total is logged as 0, as the log line always had it.
    put_trace_line(
        "%sRate_Sum=%10.4f, Area_Ena_Sum=%10.4f, Area_All_Sum=%10.4f, anlz_ptr=%8ld, chnl_slct=%1d "
        "anlz_ptr_L=%8ld, anlz_ptr_R=%8ld, ",
        chg_tag, rate, 0.0, t.a_all, static_cast<long>(st.anlz_ptr), st.chnl_slct,
        static_cast<long>(st.anlz_ptr_L), static_cast<long>(st.anlz_ptr_R));
    return chk_yes;
}
