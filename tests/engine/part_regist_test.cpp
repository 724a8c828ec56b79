#include "engine/part_regist.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "part_fixture.h"

namespace {

class part_regist : public part_test {
   protected:
    void SetUp() override {
        part_test::SetUp();
        ASSERT_EQ(alloc_coef_area(*st, *doc), 0);
        sys_param.min_vol_prm = -1.0;  // the update that follows keeps every part sounding
    }
    // Change-history slots 1 .. 8 of a channel: magnitude increases f(slot,
    // bin), real parts twice that, positions 1000 + slot and 2000 + slot.
    void fill_changes(int ch, const std::function<double(int, int)>& f) {
        hst_ring& h = ch == 2 ? st->chg_hst_R : st->chg_hst_L;
        for (int s = 1; s <= 8; ++s) {
            for (int i = 0; i < N; ++i) h.abs(s)[i] = f(s, i), h.re(s)[i] = 2 * f(s, i), h.im(s)[i] = 0.0;
            h.prv(s) = 1000 + s;
            h.ptr(s) = 2000 + s;
        }
    }
    int regist(int ch) {
        st->chnl_slct = ch;
        return regist_new_part(*st, *doc);
    }
};

TEST_F(part_regist, ANewLeftOnsetBecomesPartOneWithItsFirstEpisodeAndNormalisedPattern) {
    fill_changes(1, [](int s, int i) {
        if (i == 40 + s) return 10.0 * s;
        if (i == 3 && s == 7) return 80.0;  // as large as the peak, but in a later slot
        if (i == 9) return -5.0;            // clipped at 0
        if (i == 600) return -7.0;          // above N/2: neither clipped nor divided
        return 0.0;
    });
    st->atk_top_L = 2000;
    set_range(100, 4 * N - 1);
    log_on_flg = 1;
    st->anlz_ptr_L = 3000;
    EXPECT_EQ(regist(1), 0);

    ASSERT_EQ(doc->intPart_Cnt, 1);
    EXPECT_STREQ(doc->prt_name[0], "Part_001");
    EXPECT_EQ((std::vector<int>{st->intPart_Cnt, doc->intPart_Inf_Cnt[0], st->prt_mix_flg[0],
                                st->prt_disp_flg[0], doc->prt_act_flg_L[0], doc->prt_act_flg_R[0]}),
              (std::vector<int>{1, 1, 1, 1, 1, 0}));
    const msc_prt_inf_t& r = rec(0);
    EXPECT_EQ((std::vector<int>{r.opn_L, r.opn_R, r.stt_ofs, r.stt_ofs_L, r.stt_ofs_R, r.stt_orgn,
                                r.stt_orgn_L, r.stt_orgn_R, r.data_cnt_R}),
              (std::vector<int>{1, 1, 1900, 1900, 1900, 2000, 2000, 2000, 0}));
    EXPECT_EQ(r.data_cnt_L, N);  // the update that follows reaches the window's end

    // Slot s is change-history slot 9 - s over the largest magnitude below N/2
    // (80 at bin 48 in slot 1: the first of the equal maxima).
    EXPECT_EQ(doc->prt_peak_L[0], 48);
    EXPECT_DOUBLE_EQ(L_s(0, 1)[48], 1.0);
    EXPECT_DOUBLE_EQ(L_s(0, 8)[41], 10.0 / 80.0);
    EXPECT_DOUBLE_EQ(L_r(0, 3)[46], 120.0);  // real parts are copied as they are
    EXPECT_EQ(L_s(0, 3)[9], 0.0);
    EXPECT_EQ(L_s(0, 3)[600], -7.0);
    EXPECT_EQ(R_s(0, 3)[46], 0.0);
    EXPECT_EQ(log_lines()[1],
              "<regist_new_part> Frq_s copy : Part_ptr=  0, Old_cnt=    1008, New_cnt=    2008, chnl_slct=1 "
              "anlz_ptr_L=    3000, anlz_ptr_R=       0, ");
}

TEST_F(part_regist, APatternThatIsZeroEverywhereIsDividedByOne) {
    fill_changes(1, [](int, int) { return 0.0; });
    regist(1);
    EXPECT_EQ(doc->prt_peak_L[0], 0);
    for (int s = 1; s <= 8; ++s) EXPECT_EQ(*std::max_element(L_s(0, s), L_s(0, s) + N), 0.0);
}

TEST_F(part_regist, APartFirstHeardOnTheRightGetsItsPatternOnTheLeftToo) {
    fill_changes(2, [](int s, int i) { return i == 60 ? 5.0 * s : 0.25; });
    st->atk_top_R = 3000;
    regist(2);
    ASSERT_EQ(doc->intPart_Cnt, 1);
    EXPECT_EQ(doc->prt_act_flg_L[0], 0);
    EXPECT_EQ((std::vector<int>{rec(0).stt_orgn_R, rec(0).stt_orgn_L, rec(0).stt_ofs_L}),
              (std::vector<int>{3000, 3000, 3000}));
    for (int s = 1; s <= 8; ++s) {
        for (int c = 0; c < 3; ++c) ASSERT_TRUE(std::equal(spc(c, 0, s), spc(c, 0, s) + N, spc(c + 3, 0, s)));
    }
    EXPECT_DOUBLE_EQ(L_s(0, 1)[60], 1.0);
    EXPECT_EQ(L_s(0)[60], 0.0);  // the current spectrum stays the right channel's own
}

TEST_F(part_regist, ARightOnsetMatchingAPartsLeftPatternJoinsThatPart) {
    const int p = add_part(true, false);
    for (int s = 1; s <= 8; ++s) {
        for (int i = 0; i < N / 2; ++i)
            L_s(p, s)[i] = st->chg_nrm[s - 1][i] = 0.1 + 0.08 * ((i * 7 + s) % 10);
    }
    doc->intPart_Inf_Cnt[p] = 1;
    rec(p) = {1, 1, 100, 100, 100, 0, 500, 0, 500, 100, 100, 100};
    std::strcpy(doc->prt_name[p], "Bass");
    // The onset: a constant 40000 after the inverse transform, beyond full scale.
    fill_changes(2, [](int, int i) { return i == 20 ? 3.0 : 0.0; });
    st->chg_hst_R.re(8)[0] = st->chg_hst_R.abs(8)[0] = 40000.0 * N;
    st->atk_top_R = 3000;

    EXPECT_EQ(regist(2), 0);
    EXPECT_EQ(doc->intPart_Cnt, 1);
    EXPECT_STREQ(doc->prt_name[p], "Bass");
    EXPECT_EQ((std::vector<int>{doc->intPart_Inf_Cnt[p], doc->intNowAtackPartNmb, rec(p).stt_orgn_L,
                                rec(p).stt_orgn_R, doc->prt_act_flg_R[p], st->prt_mix_flg[p]}),
              (std::vector<int>{1, p + 1, 100, 100, 1, 1}));
    EXPECT_DOUBLE_EQ(R_s(p, 2)[20], 3.0 / (40000.0 * N));
    EXPECT_DOUBLE_EQ(L_s(p, 1)[0], 0.18);  // the left pattern is kept
    // The onset's samples go to the episode's right start offset, held at full scale.
    EXPECT_EQ(wave(p, 100, 1), 32767);
    EXPECT_EQ(wave(p, 100 + N - 1, 1), 32767);
    EXPECT_EQ(wave(p, 100, 0), 0);

    // Onset samples at or past the waveform's capacity are dropped.
    const std::int64_t c = cap(p);
    rec(p).stt_ofs_R = static_cast<std::int32_t>(c - 10);
    st->chg_hst_R.re(8)[0] = st->chg_hst_R.abs(8)[0] = 1000.0 * N;
    regist(2);
    EXPECT_EQ(wave(p, c - 10, 1), 1000);
    EXPECT_EQ(wave(p, c - 1, 1), 1000);
}

TEST_F(part_regist, AtOneBelowThePartLimitOnlyTheUpdateRuns) {
    st->part_max = 3;
    add_part();
    const int q = add_part();
    line(L_s(q), nullptr, 10, 1.0);
    line(st->spc_hst_L.re(7), nullptr, 10, 5000.0);
    const auto allocs = heap_test::alloc_calls();
    EXPECT_EQ(regist(1), 0);
    EXPECT_EQ(doc->intPart_Cnt, 2);
    EXPECT_EQ(heap_test::alloc_calls(), allocs);
    EXPECT_GT(doc->dblVolAdd_L[q], 0.0);  // the update carried the part on
}

TEST_F(part_regist, MissingMemoryOrABusyBufferStopsTheRun) {
    heap_test::fail_nth_alloc(2);  // the waveform area: no part
    EXPECT_EQ(regist(1), -1);
    EXPECT_EQ(st->err_stop, 1);
    EXPECT_EQ(doc->intPart_Inf_Cnt[0], 0);

    doc->free_temp_area_all();
    doc->intPart_Cnt = 0;
    heap_test::fail_nth_alloc(5);  // one of slot 0's spectrum areas: named, never touched
    EXPECT_EQ(regist(1), -1);
    EXPECT_EQ(doc->intPart_Cnt, 1);
    EXPECT_STREQ(doc->prt_name[0], "Part_001");
    EXPECT_EQ(doc->intPart_Inf_Cnt[0], 0);
    EXPECT_EQ(doc->prt_act_flg_L[0], 0);
    EXPECT_EQ(log_lines().back(), "<regist_new_part> Part_ptr=  0 Area NG !!");

    intUse_fr_1a_F = use_flag_busy;
    EXPECT_EQ(regist(1), -1);
    EXPECT_EQ(log_lines().back(), "extern_regist_new_part():  <intUse_fr_1a_F> Allready YES !! ");
}

}  // namespace
