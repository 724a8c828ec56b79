#include <gtest/gtest.h>

#include <cstring>

#include "engine/part_regist.h"
#include "part_fixture.h"

namespace {

class part_regist : public part_test {
protected:
    void SetUp() override {
        part_test::SetUp();
        alloc_coef();
        sys_param.min_vol_prm = -1.0;  // keep every part sounding through the update that follows
    }

    hst_ring& chg(int ch) { return ch == 2 ? st->chg_hst_R : st->chg_hst_L; }

    // Change-history slots 1 .. 8 of a channel: slot s gets magnitude
    // increases f(s, bin) and a real part of twice that.
    void fill_changes(int ch, const std::function<double(int, int)>& f) {
        for (int s = 1; s <= 8; ++s) {
            for (int i = 0; i < N; ++i) {
                chg(ch).abs(s)[i] = f(s, i);
                chg(ch).re(s)[i] = 2.0 * f(s, i);
                chg(ch).im(s)[i] = 0.0;
            }
            chg(ch).prv(s) = 1000 + s;
            chg(ch).ptr(s) = 2000 + s;
        }
    }

    // A part spectrum and a frame that the update will carry on: one line at bin 10.
    void line_spectrum(int p) {
        L_s(p)[10] = L_s(p)[N - 10] = 1.0;
        st->spc_hst_L.re(7)[10] = st->spc_hst_L.re(7)[N - 10] = 5000.0;
    }

    int regist(int ch) {
        st->chnl_slct = ch;
        return regist_new_part(*st, *doc);
    }
};

TEST_F(part_regist, ANewLeftOnsetBecomesPartOneWithItsFirstEpisode) {
    fill_changes(1, [](int s, int i) { return (i == 40 + s) ? 10.0 * s : 0.0; });
    st->atk_top_L = 2000;
    set_range(100, 4 * N - 1);
    EXPECT_EQ(regist(1), 0);

    ASSERT_EQ(doc->intPart_Cnt, 1);
    EXPECT_STREQ(doc->prt_name[0], "Part_001");
    EXPECT_EQ(st->intPart_Cnt, 1);
    EXPECT_EQ(doc->intPart_Inf_Cnt[0], 1);
    EXPECT_EQ(st->prt_mix_flg[0], 1);
    EXPECT_EQ(st->prt_disp_flg[0], 1);
    EXPECT_EQ(doc->prt_act_flg_L[0], 1);
    EXPECT_EQ(doc->prt_act_flg_R[0], 0);

    const msc_prt_inf_t& r = rec(0);
    EXPECT_EQ(r.opn_L, 1);
    EXPECT_EQ(r.opn_R, 1);
    EXPECT_EQ(r.stt_ofs, 1900);
    EXPECT_EQ(r.stt_ofs_L, 1900);
    EXPECT_EQ(r.stt_ofs_R, 1900);
    EXPECT_EQ(r.stt_orgn_L, 2000);
    EXPECT_EQ(r.stt_orgn_R, 2000);
    EXPECT_EQ(r.stt_orgn, 2000);
    EXPECT_EQ(r.data_cnt_R, 0);
    EXPECT_EQ(r.data_cnt_L, N);  // the update that follows reaches the window's end

    // Reference slot s holds change-history slot 9 - s (slot 1 repeats slot 8),
    // divided by the largest magnitude below N/2 (80, at bin 48 in slot 1).
    EXPECT_EQ(doc->prt_peak_L[0], 48);
    EXPECT_DOUBLE_EQ(L_s(0, 1)[48], 1.0);
    EXPECT_DOUBLE_EQ(L_s(0, 8)[41], 10.0 / 80.0);
    EXPECT_DOUBLE_EQ(L_s(0, 3)[46], 60.0 / 80.0);
    EXPECT_DOUBLE_EQ(L_r(0, 3)[46], 120.0);  // real parts are copied as they are
    EXPECT_EQ(R_s(0, 3)[46], 0.0);
}

TEST_F(part_regist, ReferenceMagnitudesAreClippedAtZeroAndNormalisedBelowHalfTheFrame) {
    fill_changes(1, [](int s, int i) {
        if (i == 77 && s == 4) return 250.0;   // reference slot 5
        if (i == 3 && s == 3) return 250.0;    // equal, later slot: not the peak
        if (i == 9) return -5.0;
        if (i == 600) return -7.0;             // above N/2: neither clipped nor divided
        if (i == 700) return 500.0;
        return 1.0;
    });
    st->atk_top_L = 0;
    regist(1);
    EXPECT_EQ(doc->prt_peak_L[0], 77);
    EXPECT_DOUBLE_EQ(L_s(0, 5)[77], 1.0);
    EXPECT_DOUBLE_EQ(L_s(0, 6)[3], 1.0);
    EXPECT_DOUBLE_EQ(L_s(0, 2)[10], 1.0 / 250.0);
    EXPECT_EQ(L_s(0, 2)[9], 0.0);
    EXPECT_EQ(L_s(0, 2)[600], -7.0);
    EXPECT_EQ(L_s(0, 2)[700], 500.0);
}

TEST_F(part_regist, APatternThatIsZeroEverywhereIsDividedByOne) {
    fill_changes(1, [](int, int) { return 0.0; });
    regist(1);
    EXPECT_EQ(doc->prt_peak_L[0], 0);
    for (int s = 1; s <= 8; ++s) {
        for (int i = 0; i < N; ++i) ASSERT_EQ(L_s(0, s)[i], 0.0);
    }
}

TEST_F(part_regist, APartFirstHeardOnTheRightGetsItsPatternOnTheLeftToo) {
    fill_changes(2, [](int s, int i) { return i == 60 ? 5.0 * s : 0.25; });
    st->atk_top_R = 3000;
    regist(2);
    ASSERT_EQ(doc->intPart_Cnt, 1);
    EXPECT_EQ(doc->prt_act_flg_R[0], 1);
    EXPECT_EQ(doc->prt_act_flg_L[0], 0);
    EXPECT_EQ(rec(0).stt_orgn_R, 3000);
    EXPECT_EQ(rec(0).stt_orgn_L, 3000);
    EXPECT_EQ(rec(0).stt_ofs_L, 3000);
    for (int s = 1; s <= 8; ++s) {
        for (int i = 0; i < N; ++i) {
            ASSERT_EQ(L_s(0, s)[i], R_s(0, s)[i]);
            ASSERT_EQ(L_r(0, s)[i], R_r(0, s)[i]);
        }
    }
    EXPECT_DOUBLE_EQ(L_s(0, 1)[60], 1.0);
    EXPECT_EQ(L_s(0, 0)[60], 0.0);  // the current spectrum stays the right channel's own
}

TEST_F(part_regist, ARightOnsetMatchingAPartsLeftPatternJoinsThatPart) {
    // Part 0, registered on the left at frame 100 with the pattern below.
    const int p = add_part(true, false);
    auto pattern = [](int d, int i) { return 0.1 + 0.8 * ((i * 7 + d) % 10) / 10.0; };
    for (int s = 1; s <= 8; ++s) {
        for (int i = 0; i < N / 2; ++i) L_s(p, s)[i] = pattern(s - 1, i);
        for (int i = 0; i < N / 2; ++i) st->chg_nrm[s - 1][i] = pattern(s - 1, i);
    }
    doc->prt_peak_L[p] = 33;
    doc->intPart_Inf_Cnt[p] = 1;
    rec(p) = {1, 1, 100, 100, 100, 0, 500, 0, 500, 100, 100, 100};
    std::strcpy(doc->prt_name[p], "Bass");

    // The right onset: a constant 40000 after the inverse transform, which wraps.
    fill_changes(2, [](int, int i) { return i == 20 ? 3.0 : 0.0; });
    chg(2).re(8)[0] = 40000.0 * N;
    chg(2).abs(8)[0] = 40000.0 * N;
    st->atk_top_R = 3000;
    doc->intNowAtackPartNmb = 0;

    EXPECT_EQ(regist(2), 0);
    EXPECT_EQ(doc->intPart_Cnt, 1);
    EXPECT_STREQ(doc->prt_name[p], "Bass");
    EXPECT_EQ(doc->intPart_Inf_Cnt[p], 1);
    EXPECT_EQ(doc->intNowAtackPartNmb, p + 1);
    EXPECT_EQ(rec(p).stt_orgn_L, 100);
    EXPECT_EQ(rec(p).stt_orgn_R, 100);
    EXPECT_EQ(doc->prt_act_flg_R[p], 1);
    EXPECT_EQ(st->prt_mix_flg[p], 1);
    EXPECT_DOUBLE_EQ(R_s(p, 1)[0], 1.0);
    EXPECT_DOUBLE_EQ(R_s(p, 2)[20], 3.0 / (40000.0 * N));
    EXPECT_DOUBLE_EQ(L_s(p, 1)[0], pattern(0, 0));  // the left pattern is kept
    // The onset's samples go to the episode's right start, low 16 bits.
    EXPECT_EQ(wave(p, 100, 1), 40000 - 65536);
    EXPECT_EQ(wave(p, 100 + N - 1, 1), 40000 - 65536);
    EXPECT_EQ(wave(p, 100, 0), 0);
}

TEST_F(part_regist, OnsetSamplesPastTheWaveformsCapacityAreDropped) {
    const int p = add_part(true, true);
    for (int i = 0; i < N / 2; ++i) L_s(p, 1)[i] = st->chg_nrm[0][i] = 1.0;
    doc->intPart_Inf_Cnt[p] = 1;
    const std::int64_t c = cap(p);
    rec(p) = {1, 1, 0, 0, static_cast<std::int32_t>(c - 10), 0, 0, 0, N, 0, 0, 0};
    fill_changes(2, [](int, int) { return 0.0; });
    chg(2).re(8)[0] = 1000.0 * N;
    chg(2).abs(8)[0] = 1000.0 * N;
    st->atk_top_R = 0;
    regist(2);
    EXPECT_EQ(wave(p, c - 10, 1), 1000);
    EXPECT_EQ(wave(p, c - 1, 1), 1000);
}

TEST_F(part_regist, AtOneBelowThePartLimitOnlyTheUpdateRuns) {
    sys_param.part_max = 3;
    add_part();
    const int q = add_part();
    line_spectrum(q);
    const auto allocs = heap_test::alloc_calls();
    st->atk_top_L = 0;
    EXPECT_EQ(regist(1), 0);
    EXPECT_EQ(doc->intPart_Cnt, 2);
    EXPECT_EQ(heap_test::alloc_calls(), allocs);
    EXPECT_GT(doc->dblVolAdd_L[q], 0.0);  // the update carried the part on
}

TEST_F(part_regist, NoMemoryForThePartStopsTheRun) {
    heap_test::fail_nth_alloc(2);  // the waveform area
    EXPECT_EQ(regist(1), -1);
    EXPECT_EQ(st->err_stop, 1);
    EXPECT_EQ(doc->intPart_Inf_Cnt[0], 0);
}

TEST_F(part_regist, APartMissingASpectrumAreaIsNamedButNeverTouched) {
    heap_test::fail_nth_alloc(5);  // one of slot 0's spectrum areas
    EXPECT_EQ(regist(1), -1);
    EXPECT_EQ(st->err_stop, 1);
    EXPECT_EQ(doc->intPart_Cnt, 1);
    EXPECT_STREQ(doc->prt_name[0], "Part_001");
    EXPECT_EQ(doc->intPart_Inf_Cnt[0], 0);
    EXPECT_EQ(doc->prt_act_flg_L[0], 0);
    EXPECT_EQ(log_lines().back(), "<regist_new_part> Part_ptr=  0 Area NG !!");
}

TEST_F(part_regist, ABusyWorkBufferStopsTheRegistration) {
    intUse_fr_1a_F = use_flag_busy;
    EXPECT_EQ(regist(1), -1);
    EXPECT_EQ(st->err_stop, 1);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"extern_regist_new_part():  <intUse_fr_1a_F> Allready YES !! "}));
}

TEST_F(part_regist, TheReferenceCopyIsTraced) {
    fill_changes(1, [](int, int) { return 1.0; });
    st->anlz_ptr_L = 3000;
    st->anlz_ptr_R = 2900;
    log_on_flg = 1;
    regist(1);
    const auto lines = log_lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], " ");
    EXPECT_EQ(lines[1],
              "<regist_new_part> Frq_s copy : Part_ptr=  0, Old_cnt=    1008, New_cnt=    2008, chnl_slct=1 "
              "anlz_ptr_L=    3000, anlz_ptr_R=    2900, ");
}

}  // namespace
