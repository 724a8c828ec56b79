#include <gtest/gtest.h>

#include <algorithm>

#include "app/err_log.h"
#include "engine/chg_detect.h"
#include "engine/onset_test.h"
#include "engine/similarity.h"
#include "engine/work_area.h"
#include "platform/sjis.h"
#include "recording_steps.h"
#include "tests/support/test_dir.h"

namespace {

class Detect : public in_test_dir {
protected:
    void SetUp() override {
        set_default_sys_param(sys_param);
        log_on_flg = 0;
        st = std::make_unique<extr_state>();
        doc = make_test_doc(16, [](int, int) { return 0; });
        st->chnl_slct = 1;
        st->snd_top_ptr = -1;
    }
    void TearDown() override { log_on_flg = 0; }

    // Reference frames (spectrum-history slots 4 .. 6) at `ref` in every bin;
    // at bin b the oldest recent increase c4 and the newer ones and the
    // current magnitude c.
    void pattern(double ref, int b, double c4, double c) {
        for (int s = 4; s <= 6; ++s) std::fill_n(st->spc_hst_L.abs(s), 1024, ref);
        st->chg_hst_L.abs(4)[b] = c4;
        for (int s = 1; s <= 3; ++s) st->chg_hst_L.abs(s)[b] = c;
        st->spc_abs[b] = c;
    }
    int chg() { return chk_chg_exist_or_not_in_orgn_dt(*st, *doc); }

    std::unique_ptr<extr_state> st;
    std::unique_ptr<CTonewarpDoc> doc;
};

TEST_F(Detect, ChangeNeedsEveryRecentWindowStrictlyAboveItsThreshold) {
    pattern(1.0, 100, 30000.0, 20000.0);
    EXPECT_EQ(chg(), chk_no);  // 30000 does not exceed 30000
    pattern(1.0, 100, 30000.5, 20000.0);
    EXPECT_EQ(chg(), chk_yes);
    st->chg_hst_L.abs(2)[100] = 10000.0;
    EXPECT_EQ(chg(), chk_no);
    st->chg_hst_L.abs(2)[100] = 10000.5;
    EXPECT_EQ(chg(), chk_yes);
    st->chg_flg_L = 1;  // a change waiting for its onset test blocks any other
    EXPECT_EQ(chg(), chk_no);
}

TEST_F(Detect, BothChangeRatesMustExceedTheSimilarSoundParameter) {
    pattern(1.0, 100, 40000.0, 20000.0);  // second rate exactly 5000
    sys_param.sim_snd_prm = 4999.0;
    EXPECT_EQ(chg(), chk_yes);
    sys_param.sim_snd_prm = 5000.0;
    EXPECT_EQ(chg(), chk_no);
    sys_param.sim_snd_prm = 3000.0;
    st->spc_hst_L.abs(7)[100] = 1e7;  // 8 frames back: outside the reference frames
    EXPECT_EQ(chg(), chk_yes);
    st->spc_hst_L.abs(4)[100] = 1e7;  // 5 frames back: first rate now below 3000
    EXPECT_EQ(chg(), chk_no);
}

TEST_F(Detect, SilentReferenceFramesAndTheMirroredHalfNeverShowAChange) {
    pattern(0.0, 100, 1e6, 1e6);
    EXPECT_EQ(chg(), chk_no);
    pattern(1.0, 100, 0.0, 0.0);
    pattern(1.0, 511, 1e6, 1e6);  // past the last window (bins 502 .. 510)
    pattern(1.0, 700, 1e6, 1e6);
    EXPECT_EQ(chg(), chk_no);
    pattern(1.0, 510, 1e6, 1e6);
    EXPECT_EQ(chg(), chk_yes);
}

TEST_F(Detect, FirstFramesAfterTheFirstSoundAreChangesWithoutSpectrum) {
    st->snd_top_ptr = 4000;
    for (int d : {511, 512, 1023, 1024}) {
        st->anlz_ptr_L = 4000 + d;
        EXPECT_EQ(chg(), (d >= 512 && d < 1024) ? chk_yes : chk_no) << d;
    }
}

TEST_F(Detect, ChangeLineIsTracedAfterASeparator) {
    log_on_flg = 1;
    st->snd_top_ptr = 0;
    st->anlz_ptr_L = 600;
    st->anlz_ptr_R = 472;
    st->anlz_ptr = 536;
    ASSERT_EQ(chg(), chk_yes);
    EXPECT_EQ(cp932_to_utf8(read_file_bytes("Err_Log.Lst")),
              " \r\n<chk_chg_exist_or_not_in_orgn_dt> 変化有り_0 : anlz_ptr=     536, chnl_slct=1 "
              "anlz_ptr_L=     600, anlz_ptr_R=     472, \r\n");
}

// ---- Similarity ----

void fill_rows(double (*rows)[dft_max_len], double v) {
    for (int d = 0; d < chg_nrm_rows; ++d) std::fill_n(rows[d], 512, v);
}

TEST_F(Detect, IdenticalPositivePatternsScoreTheUncountedFullWeight) {
    fill_rows(st->chg_nrm, 0.5);
    fill_rows(st->prt_cmp, 0.5);
    sys_param.sim_snd_prm = 4096 * 123.5;  // first score: 4096 * P2, undivided
    int shift = 9;
    EXPECT_EQ(chk_same_part_on_both_freq_dt(*st, *doc, 1, &shift), chk_yes);
    EXPECT_EQ(shift, 0);
    sys_param.set_prm3 = 50.0;  // near-equal terms now count and divide the score
    fill_rows(st->prt_cmp, 0.5000001);
    EXPECT_EQ(chk_same_part_on_both_freq_dt(*st, *doc, 1, &shift), chk_no);
}

TEST_F(Detect, FirstScoreIsTheMeanOfItsTermsOnceAnyTermCounts) {
    sys_param.set_prm2 = 1e6;
    sys_param.set_prm3 = 1.0;
    sys_param.sim_snd_prm = 5e4;
    for (int i = 0; i < 10; ++i) st->chg_nrm[1][i] = 0.01, st->prt_cmp[1][i] = 0.0100001;
    EXPECT_EQ(chk_same_part_on_both_freq_dt(*st, *doc, 1, nullptr), chk_no);  // 1e4, not 1e5
    sys_param.sim_snd_prm = 1e4;
    EXPECT_EQ(chk_same_part_on_both_freq_dt(*st, *doc, 1, nullptr), chk_yes);
}

TEST_F(Detect, DisjointOrZeroPatternsNeverMatch) {
    sys_param.sim_snd_prm = 1e-9;
    for (int i = 0; i < 512; i += 2) st->chg_nrm[2][i] = 1.0;
    for (int i = 1; i < 512; i += 2) st->prt_cmp[2][i] = 1.0;
    EXPECT_EQ(chk_same_part_on_both_freq_dt(*st, *doc, 1, nullptr), chk_no);
    fill_rows(st->chg_nrm, 0.0);
    fill_rows(st->prt_cmp, 1.0);
    EXPECT_EQ(chk_same_part_on_both_freq_dt(*st, *doc, 1, nullptr), chk_no);
}

TEST_F(Detect, AtDefaultSettingsTheFirstScoreIsThePlainWeightedSum) {
    // 123.5 * 0.99 stays below P3 = 300: nothing counted, nothing divided.
    for (int i = 0; i < 25; ++i) st->chg_nrm[0][i] = 1.0, st->prt_cmp[0][i] = 0.99;
    EXPECT_EQ(chk_same_part_on_both_freq_dt(*st, *doc, 1, nullptr), chk_yes);  // 3056.6
    st->chg_nrm[0][24] = 0.0;  // 2934.4, and the second test gives 2376
    EXPECT_EQ(chk_same_part_on_both_freq_dt(*st, *doc, 1, nullptr), chk_no);
}

TEST_F(Detect, SecondScoreCountsItsLastTermTwiceWhenAnythingWasCounted) {
    sys_param.set_prm2 = 0.0;  // first score 0
    st->chg_nrm[7][511] = st->prt_cmp[7][511] = 0.5;
    sys_param.sim_snd_prm = 100.0;
    EXPECT_EQ(chk_same_part_on_both_freq_dt(*st, *doc, 1, nullptr), chk_yes);
    sys_param.sim_snd_prm = 100.01;
    EXPECT_EQ(chk_same_part_on_both_freq_dt(*st, *doc, 1, nullptr), chk_no);
    st->chg_nrm[7][511] = st->prt_cmp[7][511] = 0.2;  // 20: uncounted, and nothing else
    sys_param.sim_snd_prm = 20.01;
    EXPECT_EQ(chk_same_part_on_both_freq_dt(*st, *doc, 1, nullptr), chk_no);
}

// ---- Onset test ----

class Onset : public Detect {
protected:
    // Adds a part whose left reference magnitudes (slots 1 .. 8) are v at
    // bins b .. b + 39.
    int add_part(int b, double v) {
        EXPECT_EQ(doc->alloc_temp_area_add(4096), 0);
        const int p = doc->intPart_Cnt - 1;
        for (int s = 1; s <= 8; ++s) std::fill_n(doc->h_dblPrtL_Frq_s[spc_idx(p, s)] + b, 40, v);
        return p;
    }
    int onset() { return chk_new_part_add_or_not_in_chg(*st, *doc); }
};

TEST_F(Onset, EveryOnsetIsNewWhileNoPartExists) {
    intUse_fr_1a_F = 1;
    doc->intNowAtackPartNmb = 5;
    EXPECT_EQ(onset(), chk_yes);
    EXPECT_EQ(doc->intNowAtackPartNmb, 0);
    EXPECT_EQ(intUse_fr_1a_F, 2);
}

TEST_F(Onset, PatternIsScaledByItsFirstMaximumUnlessAllZero) {
    add_part(40, 1.0);
    EXPECT_EQ(onset(), chk_yes);  // a zero pattern matches nothing
    EXPECT_EQ(st->Peak_Pnt1, 0);
    EXPECT_EQ(st->chg_nrm[0][0], 0.0);
    st->chg_hst_L.abs(8)[5] = 4.0;  // row 0
    st->chg_hst_L.abs(3)[2] = 4.0;  // row 5: equal, found later
    st->chg_hst_L.abs(1)[9] = 2.0;  // row 7
    onset();
    EXPECT_EQ(st->Peak_Pnt1, 5);
    EXPECT_EQ(st->chg_nrm[0][5], 1.0);
    EXPECT_EQ(st->chg_nrm[5][2], 1.0);
    EXPECT_EQ(st->chg_nrm[7][9], 0.5);
}

TEST_F(Onset, PartSlotsOneToEightFaceChangeSlotsEightToOne) {
    const int p = add_part(60, 0.0);
    std::fill_n(doc->h_dblPrtL_Frq_s[spc_idx(p, 8)] + 60, 40, 1.0);  // the part's newest reference
    std::fill_n(st->chg_hst_L.abs(1) + 60, 40, 7.0);                 // the newest change
    EXPECT_EQ(onset(), chk_no);
    EXPECT_EQ(doc->intNowAtackPartNmb, 1);
}

TEST_F(Onset, FirstMatchingPartWinsAndOnlyAnInactiveChannelTakesTheChange) {
    add_part(300, 1.0);  // no overlap with the onset
    add_part(60, 1.0);
    add_part(60, 1.0);
    for (int s = 1; s <= 8; ++s) std::fill_n(st->chg_hst_L.abs(s) + 60, 40, 50.0);
    st->chg_hst_L.re(8)[3] = -2.5;
    doc->prt_act_flg_L[1] = 1;
    EXPECT_EQ(onset(), chk_no);
    EXPECT_EQ(doc->intNowAtackPartNmb, 2);
    EXPECT_EQ(doc->h_dblPrtL_Frq_r[spc_idx(1, 0)][3], 0.0);  // active: kept
    doc->prt_act_flg_L[1] = 0;
    EXPECT_EQ(onset(), chk_no);
    EXPECT_EQ(doc->h_dblPrtL_Frq_r[spc_idx(1, 0)][3], -2.5);
    EXPECT_EQ(doc->h_dblPrtL_Frq_s[spc_idx(1, 0)][60], 50.0);
    EXPECT_EQ(doc->h_dblPrtL_Frq_s[spc_idx(2, 0)][60], 0.0);  // the later match is untouched
    EXPECT_EQ(doc->h_dblPrtR_Frq_s[spc_idx(1, 0)][60], 0.0);  // and so is the other channel
}

TEST_F(Onset, KnownPartAttackingAgainIsTracedLineByLine) {
    log_on_flg = 1;
    add_part(60, 1.0);
    for (int s = 1; s <= 8; ++s) std::fill_n(st->chg_hst_L.abs(s) + 60, 40, 50.0);
    st->chg_hst_L.prv(8) = 7848;
    st->chg_hst_L.ptr(8) = 7976;
    st->anlz_ptr_L = 9000;
    st->anlz_ptr_R = 8872;
    st->anlz_ptr = 8936;
    ASSERT_EQ(onset(), chk_no);
    const char* pos = "chnl_slct=1 anlz_ptr_L=    9000, anlz_ptr_R=    8872, \r\n";
    EXPECT_EQ(cp932_to_utf8(read_file_bytes("Err_Log.Lst")),
              std::string(" \r\n<chk_same_part_on_both_freq_dt> 同一音源_New_1 [パターンが似ている] : "
                          "intLrgValCnt=  0, dblDfr_Sum=    39520.0000, anlz_ptr=    8936 ") +
                  pos +
                  " \r\n<extern_chk_new_part_add_or_not_in_chg> Frq_s copy : Part_ptr=  0, "
                  "Old_cnt=    7848, New_cnt=    7976, " +
                  pos +
                  " \r\n<chk_new_part_add_or_not_in_chg> 既存音源立上 : intNowAtackPartNmb=    1, "
                  "intShiftVal=    0, anlz_ptr=    8936, " +
                  pos);
}

}  // namespace
