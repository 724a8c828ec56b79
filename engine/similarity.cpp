#include "engine/similarity.h"

#include <algorithm>

#include "app/sys_param.h"
#include "engine/chg_detect.h"
#include "engine/extr_state.h"
#include "engine/overlap_sums.h"
#include "engine/trace.h"

namespace {

// Second test: terms are percentages of the overlap; a term is counted from
// this value on.
constexpr double pct_scale = 100.0;
constexpr double pct_count_min = 30.0;

// Relative distance from a score made of quick sums within which the test's
// own score may lie (1e-12 for the sums, one rounding of a quotient), with a
// wide margin.
constexpr double quick_margin = 1e-9;

// score >= sim for every score within quick_margin of v (v >= 0): 1 surely,
// 0 surely not, -1 too close to tell.
int surely_at_least(double v, double sim) {
    if (v - v * quick_margin >= sim) return 1;
    if (v + v * quick_margin < sim) return 0;
    return -1;
}

// The answer from quick sums (engine/overlap_sums.h), when they settle it:
// 1 same source, 2 not, 0 too close to tell or not applicable.
int quick_answer(const extr_state& st, int half, double sim, double p2, double p3) {
    const overlap_sums o = sum_overlaps(st.chg_nrm, st.prt_cmp, chg_nrm_rows, half, p2, p3);
    if (!o.usable) return 0;
    const int first = surely_at_least(o.cnt1 >= 1 ? o.sum1 / o.cnt1 : o.sum1, sim);
    if (first != 0) return first == 1 ? chk_yes : 0;
    // The second score adds its last term (row 7, last bin) once more.
    const int r = chg_nrm_rows - 1;
    const double last =
        half >= 1 ? pct_scale * std::min(st.chg_nrm[r][half - 1], st.prt_cmp[r][half - 1]) : 0.0;
    const int second = surely_at_least(o.cnt2 >= 1 ? o.sum2 + last : o.sum2, sim);
    return second < 0 ? 0 : (second == 1 ? chk_yes : chk_no);
}

}  // namespace

int chk_same_part_on_both_freq_dt(extr_state& st, CTonewarpDoc& doc, int mode, int* shift) {
    (void)doc;
    (void)mode;
    if (shift != nullptr) *shift = 0;

    const int half = st.bins() / 2;
    const double sim = sys_param.sim_snd_prm;
    const double p2 = sys_param.set_prm2;
    const double p3 = sys_param.set_prm3;

    // Without trace lines to write (they print the exact scores), quick
    // sums answer unless a score lies too close to S.
    if (!log_tracing()) {
        if (const int quick = quick_answer(st, half, sim, p2, p3); quick != 0) return quick;
    }

    // First test: the weighted overlap.
    int cnt = 0;
    double score = 0.0;
    for (int d = 0; d < chg_nrm_rows; ++d) {
        const double* wr = st.chg_nrm[d];
        const double* qr = st.prt_cmp[d];
        for (int i = 0; i < half; ++i) {
            const double w = wr[i];
            const double q = qr[i];
            if (w == q && w > 0.0) {
                score += p2;  // identical positive values: full weight, not counted
                continue;
            }
            const double v = p2 * std::min(w, q);
            if (v >= p3) ++cnt;
            score += v;
        }
    }
    if (cnt >= 1) score /= cnt;
    if (score >= sim) {
        put_trace_line(
            "<chk_same_part_on_both_freq_dt> 同一音源_New_1 [パターンが似ている] : intLrgValCnt=%3d, "
            "dblDfr_Sum=%14.4f, anlz_ptr=%8ld chnl_slct=%1d anlz_ptr_L=%8ld, anlz_ptr_R=%8ld, ",
            cnt, score, static_cast<long>(st.anlz_ptr), st.chnl_slct, static_cast<long>(st.anlz_ptr_L),
            static_cast<long>(st.anlz_ptr_R));
        return chk_yes;
    }

    // Second test: the plain overlap in percent.
    cnt = 0;
    score = 0.0;
    double last = 0.0;
    for (int d = 0; d < chg_nrm_rows; ++d) {
        const double* wr = st.chg_nrm[d];
        const double* qr = st.prt_cmp[d];
        for (int i = 0; i < half; ++i) {
            const double v = pct_scale * std::min(wr[i], qr[i]);
            if (v >= pct_count_min) ++cnt;
            score += v;
            last = v;
        }
    }
    if (cnt >= 1) score += last;  // the last term (row 7, bin N/2 - 1) counts twice
    if (score >= sim) {
        put_trace_line(
            "<chk_same_part_on_both_freq_dt> 同一音源_New_2 [パターンが似ている] : intLrgValCnt=%3d, "
            "dblDfr_Sum=%14.4f, Peak_Pnt1=%4d, Peak_Pnt2=%4d, anlz_ptr=%8ld chnl_slct=%1d "
            "anlz_ptr_L=%8ld, anlz_ptr_R=%8ld, ",
            cnt, score, st.Peak_Pnt1, st.Peak_Pnt2, static_cast<long>(st.anlz_ptr), st.chnl_slct,
            static_cast<long>(st.anlz_ptr_L), static_cast<long>(st.anlz_ptr_R));
        return chk_yes;
    }
    return chk_no;
}
