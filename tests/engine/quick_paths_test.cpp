// The engine answers some questions quickly (sums kept from earlier frames,
// sums added side by side, bins handled in vector registers) and falls back
// to the plain order of operations where that could change the answer.
// These tests hold each quick path against a plain reference, with the
// thresholds placed exactly on the reference values, where only the plain
// order can decide.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "app/err_log.h"
#include "app/sys_param.h"
#include "engine/chg_detect.h"
#include "engine/chg_window.h"
#include "engine/extr_state.h"
#include "engine/part_update.h"
#include "engine/similarity.h"
#include "part_fixture.h"
#include "recording_steps.h"
#include "tests/support/test_dir.h"

namespace {

constexpr double down = -std::numeric_limits<double>::infinity();
constexpr double up = std::numeric_limits<double>::infinity();

// ---- Change test ----

struct chg_ref {
    double a_all = 0.0, rate1 = 0.0, rate = 0.0;
};

// The change test's rates summed window by window, bin by bin, as written.
chg_ref reference_rates(const extr_state& st) {
    const int n = extr_frm_len, h = st.bin_half_w, w = st.atk_wait, step = h / 2 > 0 ? h / 2 : 1;
    const hst_ring& spc = st.spc_hst_L;
    const hst_ring& chg = st.chg_hst_L;
    double a_all = 0.0, a_tot = 0.0, a_ena = 0.0;
    for (int k = h; k < n / 2 - h; k += step) {
        auto win = [&](const double* v) {
            double s = 0.0;
            for (int j = k - h; j <= k + h; ++j) s += v[j];
            return s;
        };
        for (int s = w + 3; s >= w + 1; --s) a_all += win(spc.abs(s - 1));
        bool all = true;
        double recent = 0.0;
        for (int s = w; s >= 0; --s) {
            const double c = win(s == 0 ? st.spc_abs : chg.abs(s));
            a_tot += c, recent += c;
            all = all && c > (s == w ? 30000.0 : 10000.0);
        }
        if (all) a_ena += recent;
    }
    chg_ref r;
    r.a_all = a_all;
    r.rate1 = a_all > 0.0 ? a_tot * 3000.0 / a_all : 0.0;
    r.rate = r.rate1 > sys_param.sim_snd_prm && a_tot > 0.0 ? a_ena * 5000.0 / a_tot : 0.0;
    return r;
}

class quick_change : public in_test_dir {
   protected:
    void SetUp() override {
        set_default_sys_param(sys_param);
        st = std::make_unique<extr_state>();
        doc = std::make_unique<CTonewarpDoc>();
        st->chnl_slct = 1;
        st->snd_top_ptr = -1;
    }
    void TearDown() override { log_on_flg = 0; }

    // Quiet reference frames, busy recent ones: some windows qualify, many
    // do not, and the first rate is far above any parameter tried.
    void fill(unsigned seed) {
        std::mt19937 g(seed);
        std::uniform_real_distribution<double> quiet(0.0, 50.0), busy(0.0, 7000.0);
        for (int s = 0; s < hst_depth; ++s) {
            double* a = st->spc_hst_L.abs(s);
            double* c = st->chg_hst_L.abs(s);
            for (int j = 0; j < extr_frm_len; ++j) a[j] = quiet(g), c[j] = busy(g);
        }
        for (int j = 0; j < extr_frm_len; ++j) st->spc_abs[j] = busy(g);
    }
    // What the frame loop keeps: the window sums of every slot and of the
    // current frame.
    void keep_window_sums() {
        const chg_grid g = chg_grid_for(extr_frm_len, st->bin_half_w);
        for (int s = 0; s < hst_depth; ++s) st->spc_hst_L.sum_windows(s, g), st->chg_hst_L.sum_windows(s, g);
        chg_window_sums(st->spc_abs, g, st->spc_abs_wsum);
        st->spc_abs_wsum_tag = g.tag;
    }
    int chg() { return chk_chg_exist_or_not_in_orgn_dt(*st, *doc); }

    std::unique_ptr<extr_state> st;
    std::unique_ptr<CTonewarpDoc> doc;
};

TEST_F(quick_change, KeptWindowSumsGiveTheAnswerOfThePlainSumsEvenWithTheParameterOnTheRate) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        fill(seed);
        sys_param.sim_snd_prm = 3000.0;
        const chg_ref ref = reference_rates(*st);
        ASSERT_GT(ref.rate1, 1e5);
        ASSERT_TRUE(ref.rate > 0.0 && ref.rate < 5000.0) << ref.rate;  // some windows qualify, not all
        keep_window_sums();
        // On the rate exactly: no change (the rate must exceed S); one step
        // below it: a change. Only the plain order of additions can tell.
        for (const double sim : {ref.rate, std::nextafter(ref.rate, down), std::nextafter(ref.rate, up)}) {
            sys_param.sim_snd_prm = sim;
            const int want = ref.rate > sim ? chk_yes : chk_no;
            EXPECT_EQ(chg(), want) << "seed " << seed << " S " << sim;
            log_on_flg = 1;  // with trace lines: the plain sums, whatever is kept
            EXPECT_EQ(chg(), want) << "seed " << seed << " S " << sim;
            log_on_flg = 0;
        }
        sys_param.sim_snd_prm = ref.rate;
        st->spc_hst_L.abs(5)[200] += 1.0;  // writing a slot drops its kept sums
        EXPECT_EQ(chg(), reference_rates(*st).rate > ref.rate ? chk_yes : chk_no);
    }
}

TEST(quick_totals, SideBySideSumsStayWithinTheBoundOfThePlainOnesAndRefuseNegativeTerms) {
    std::mt19937 g(12);
    std::uniform_real_distribution<double> d(0.0, 60000.0);
    std::vector<double> rows[8];
    for (auto& r : rows) {
        r.resize(251);  // not a multiple of four: the last windows one by one
        for (double& x : r) x = d(g);
    }
    chg_rows cr{{rows[0].data(), rows[1].data(), rows[2].data()}, {}, 5};
    for (int s = 0; s < 5; ++s) cr.recent[s] = rows[3 + s].data();
    double plain[3] = {0.0, 0.0, 0.0};
    for (int i = 0; i < 251; ++i) {
        for (int s = 0; s < 3; ++s) plain[0] += rows[s][i];
        double recent = 0.0;
        bool all = true;
        for (int s = 0; s < 5; ++s) {
            plain[1] += rows[3 + s][i], recent += rows[3 + s][i];
            all = all && rows[3 + s][i] > (s == 0 ? 30000.0 : 10000.0);
        }
        if (all) plain[2] += recent;
    }
    double quick[3];
    ASSERT_TRUE(chg_quick_totals(cr, 251, 30000.0, 10000.0, quick));
    ASSERT_GT(plain[2], 0.0);
    for (int t = 0; t < 3; ++t) EXPECT_NEAR(quick[t], plain[t], plain[t] * 1e-12) << t;
    rows[5][250] = -1.0;  // in the last window, summed one by one
    EXPECT_FALSE(chg_quick_totals(cr, 251, 30000.0, 10000.0, quick));
    rows[5][250] = 1.0;
    rows[1][6] = -0.0;  // a negative zero is no negative term
    rows[4][9] = -1e-300;
    EXPECT_FALSE(chg_quick_totals(cr, 251, 30000.0, 10000.0, quick));
    rows[4][9] = 0.0;
    EXPECT_TRUE(chg_quick_totals(cr, 251, 30000.0, 10000.0, quick));
}

TEST_F(quick_change, TheTraceLineOfAChangeCarriesThePlainTotals) {
    fill(9);
    keep_window_sums();
    sys_param.sim_snd_prm = 1000.0;
    const chg_ref ref = reference_rates(*st);
    ASSERT_GT(ref.rate, 1000.0);
    log_on_flg = 1;
    ASSERT_EQ(chg(), chk_yes);
    char want[200];
    std::snprintf(want, sizeof want, "Rate_Sum=%10.4f, Area_Ena_Sum=%10.4f, Area_All_Sum=%10.4f, ", ref.rate,
                  0.0, ref.a_all);
    EXPECT_NE(cp932_to_utf8(read_file_bytes(err_log_file_name)).find(want), std::string::npos);
}

// ---- Similarity test ----

struct sim_ref {
    double score1 = 0.0, score2 = 0.0;
};

sim_ref reference_scores(const extr_state& st) {
    const double p2 = sys_param.set_prm2, p3 = sys_param.set_prm3;
    sim_ref r;
    int cnt = 0;
    for (int d = 0; d < 8; ++d) {
        for (int i = 0; i < extr_frm_len / 2; ++i) {
            const double w = st.chg_nrm[d][i], q = st.prt_cmp[d][i];
            if (w == q && w > 0.0) {
                r.score1 += p2;
                continue;
            }
            const double v = p2 * std::min(w, q);
            if (v >= p3) ++cnt;
            r.score1 += v;
        }
    }
    if (cnt >= 1) r.score1 /= cnt;
    cnt = 0;
    double last = 0.0;
    for (int d = 0; d < 8; ++d) {
        for (int i = 0; i < extr_frm_len / 2; ++i) {
            last = 100.0 * std::min(st.chg_nrm[d][i], st.prt_cmp[d][i]);
            if (last >= 30.0) ++cnt;
            r.score2 += last;
        }
    }
    if (cnt >= 1) r.score2 += last;
    return r;
}

class quick_similarity : public quick_change {
   protected:
    // Patterns in 0 .. top with a share of equal values and of zeros.
    void patterns(unsigned seed, double top) {
        std::mt19937 g(seed);
        std::uniform_real_distribution<double> v(0.0, top);
        for (int d = 0; d < 8; ++d) {
            for (int i = 0; i < extr_frm_len / 2; ++i) {
                const int kind = static_cast<int>(g() % 10);
                st->chg_nrm[d][i] = kind == 0 ? 0.0 : v(g);
                st->prt_cmp[d][i] = kind == 1 ? st->chg_nrm[d][i] : v(g);
            }
        }
    }
    int same() { return chk_same_part_on_both_freq_dt(*st, *doc, 1, nullptr); }
    // The answer on the score, one step above and one below.
    void expect_threshold_answers(double score, const char* what) {
        for (const double sim : {score, std::nextafter(score, up), std::nextafter(score, down)}) {
            sys_param.sim_snd_prm = sim;
            const sim_ref ref = reference_scores(*st);
            const int want = ref.score1 >= sim || ref.score2 >= sim ? chk_yes : chk_no;
            EXPECT_EQ(same(), want) << what << " S " << sim;
            log_on_flg = 1;
            EXPECT_EQ(same(), want) << what << " S " << sim << " (traced)";
            log_on_flg = 0;
        }
    }
};

TEST_F(quick_similarity, QuickOverlapSumsGiveThePlainAnswerWithTheParameterOnEitherScore) {
    for (unsigned seed = 1; seed <= 4; ++seed) {
        patterns(seed, 0.05);
        // Defaults: no term reaches P3, the first score is the plain sum and
        // lies above the second; the parameter on the first score.
        expect_threshold_answers(reference_scores(*st).score1, "first score");
        // P2 = 0: the first score is 0, so the second one decides.
        sys_param.set_prm2 = 0.0;
        expect_threshold_answers(reference_scores(*st).score2, "second score");
        // A low P3 counts terms, so the first score is divided by their number.
        sys_param.set_prm2 = 123.5, sys_param.set_prm3 = 1.0;
        patterns(seed + 10, 1.0);
        expect_threshold_answers(reference_scores(*st).score1, "divided first score");
        set_default_sys_param(sys_param);
    }
}

TEST_F(quick_similarity, NegativeTermsAreLeftToThePlainSums) {
    patterns(3, 0.05);
    st->chg_nrm[2][17] = -0.5;  // only the plain order is sure with mixed signs
    expect_threshold_answers(reference_scores(*st).score1, "negative term");
}

// ---- Existing-part update ----

// Three parts with overlapping spectra, two active, and a busy frame: the
// update's per-bin work without trace lines must leave every value exactly
// as the traced (bin by bin) one does.
class quick_update : public part_test {
   protected:
    void SetUp() override {
        part_test::SetUp();
        ASSERT_EQ(alloc_coef_area(*st, *doc), 0);
    }
    void scene(unsigned seed) {
        std::mt19937 g(seed);
        std::uniform_real_distribution<double> mag(0.0, 3.0), big(-2e5, 2e5);
        for (int p = 0; p < 3; ++p) {
            add_part(p != 1, true);
            for (int i = 0; i < N; ++i) L_s(p)[i] = g() % 4 == 0 ? 0.0 : mag(g);
            doc->intPart_Inf_Cnt[p] = 1;
            rec(p) = {1, 1, 0, 0, 0, 0, 0, 0, N, 0, 0, 0};
        }
        L_s(2)[7] = -0.25;  // a negative magnitude takes part as it is
        for (int i = 0; i < N; ++i) st->spc_hst_L.re(7)[i] = big(g), st->spc_hst_L.im(7)[i] = big(g);
        for (int i = 0; i < N; ++i) st->spc_abs[i] = std::abs(big(g));
        st->atk_top_L = N;
    }
    // Everything the update writes, as bytes.
    std::string outcome() {
        std::string s;
        auto put = [&](const void* p, std::size_t n) { s.append(static_cast<const char*>(p), n); };
        for (int p = 0; p < 3; ++p) {
            put(L_r(p), 8 * N), put(L_i(p), 8 * N), put(L_s(p), 8 * N);
            put(doc->h_Mem_wv_temp_dt[p], static_cast<std::size_t>(doc->wv_temp_dt_size[p]));
            put(&rec(p), sizeof(msc_prt_inf_t));
        }
        put(doc->dblVolAdd_L, 3 * 8), put(doc->dblVolPrv_L, 3 * 8), put(doc->dblWvLvl_L, 3 * 8);
        put(doc->prt_act_flg_L, 3 * 4), put(doc->prt_cur_len_L, 3 * 4);
        put(doc->dblCC_R_Vct, 8 * N), put(doc->dblCC_P_Vct, 8 * N), put(doc->dblCC_W_Vct, 8 * N);
        put(co_r_1, 8 * N), put(co_i_1, 8 * N), put(fr_co_s_1a, 8 * N);
        return s;
    }
};

TEST_F(quick_update, AnUpdateWithoutTraceLinesLeavesExactlyWhatATracedOneLeaves) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
        std::string runs[2];
        for (int traced = 0; traced < 2; ++traced) {
            TearDown();
            SetUp();
            st = std::make_unique<extr_state>();
            set_range(0, 4 * N - 1);
            scene(seed);
            log_on_flg = traced;
            ASSERT_EQ(update_already_part(*st, *doc, 2), 0);
            log_on_flg = 0;
            runs[traced] = outcome();
        }
        EXPECT_TRUE(runs[0] == runs[1]) << "seed " << seed;
    }
}

}  // namespace
