#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/part_update.h"
#include "part_fixture.h"

namespace {

class part_update : public part_test {
protected:
    void SetUp() override {
        part_test::SetUp();
        alloc_coef();
        st->chnl_slct = 1;
    }

    // The frame being distributed: spectrum-history slot 7 of the selected channel.
    double* frame_re() { return st->spc_hst_X().re(7); }
    double* frame_im() { return st->spc_hst_X().im(7); }

    // A real-signal spectrum line: value at bin k and its mirror N - k.
    static void line(double* re, double* im, int k, double r, double i = 0.0) {
        re[k] = r;
        re[N - k] = r;
        if (im != nullptr) {
            im[k] = i;
            im[N - k] = -i;
        }
    }

    int update(int mode) { return update_already_part(*st, *doc, mode); }
};

TEST_F(part_update, OnePartTakesTheFrameWhereItHadEnergyAndNothingElse) {
    const int p = add_part(true, false);
    line(L_s(p), nullptr, 3, 1.0);
    line(L_s(p), nullptr, 5, 0.5);
    for (int i = 0; i < N; ++i) frame_re()[i] = 777.0, frame_im()[i] = -55.0;
    line(frame_re(), frame_im(), 3, 200000.0, 50000.0);
    line(frame_re(), frame_im(), 5, -150000.0, 0.0);
    rec(p).stt_orgn_L = 500;
    rec(p).max_len = N;
    doc->intPart_Inf_Cnt[p] = 1;
    doc->dblVolAdd_L[p] = 42.0;
    st->atk_top_L = 1024;

    EXPECT_EQ(update(2), 0);

    for (int i = 0; i < N; ++i) {
        const bool mine = i == 3 || i == 5 || i == N - 3 || i == N - 5;
        EXPECT_EQ(L_r(p)[i], mine ? frame_re()[i] : 0.0) << i;
        EXPECT_EQ(L_i(p)[i], mine ? frame_im()[i] : 0.0) << i;
    }
    EXPECT_DOUBLE_EQ(L_s(p)[3], std::hypot(200000.0, 50000.0));
    EXPECT_DOUBLE_EQ(doc->dblVolAdd_L[p], 2 * std::hypot(200000.0, 50000.0) + 2 * 150000.0);
    EXPECT_EQ(doc->dblVolPrv_L[p], 42.0);

    // The frame's samples land at the window start, left channel only.
    double level = 0.0;
    for (int t = 0; t < N; ++t) {
        const int s = static_cast<int>(direct_inverse(L_r(p), L_i(p), N, t));
        ASSERT_NEAR(wave(p, 1024 + t, 0), s, 1) << t;
        EXPECT_EQ(wave(p, 1024 + t, 1), 0);
        if (t >= N / 2) level += std::abs(wave(p, 1024 + t, 0));
    }
    EXPECT_NEAR(doc->dblWvLvl_L[p], level, N / 2);
    EXPECT_EQ(wave(p, 1023, 0), 0);

    // The episode now reaches the window's end.
    EXPECT_EQ(rec(p).data_cnt_L, 2048 - 500);
    EXPECT_EQ(rec(p).max_len, 2048 - 500);
    EXPECT_EQ(doc->prt_cur_len_L[p], 2048 - 500);
    EXPECT_EQ(doc->prt_act_flg_L[p], 1);
    EXPECT_EQ(intUse_fr_1a_F, use_flag_free);
    EXPECT_EQ(intUse_ivdft_1_F, use_flag_free);
}

TEST_F(part_update, TwoPartsWithDisjointSpectraEachTakeTheirOwnBinsAndShareTheRest) {
    const int a = add_part();
    const int b = add_part();
    line(L_s(a), nullptr, 10, 4.0);
    line(L_s(b), nullptr, 20, 2.0);
    st->spc_abs[10] = 12.0;  // rate of a: 3
    st->spc_abs[20] = 2.0;   // rate of b: 1
    line(frame_re(), frame_im(), 10, 100.0, 10.0);
    line(frame_re(), frame_im(), 20, 200.0, 20.0);
    line(frame_re(), frame_im(), 30, 300.0, 30.0);
    st->atk_top_L = 0;

    update(2);

    EXPECT_NEAR(doc->dblCC_EndAns[a], 3.0, 1e-12);
    EXPECT_NEAR(doc->dblCC_EndAns[b], 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(L_r(a)[10], 100.0);
    EXPECT_DOUBLE_EQ(L_r(b)[10], 0.0);
    EXPECT_DOUBLE_EQ(L_r(b)[20], 200.0);
    EXPECT_DOUBLE_EQ(L_i(b)[N - 20], -20.0);
    EXPECT_DOUBLE_EQ(L_r(a)[20], 0.0);
    // Bin 30 belongs to neither: split 3 : 1 by the rates.
    EXPECT_DOUBLE_EQ(L_r(a)[30], 225.0);
    EXPECT_DOUBLE_EQ(L_r(b)[30], 75.0);
    EXPECT_DOUBLE_EQ(L_i(a)[N - 30], -22.5);
}

TEST_F(part_update, ThePartsTogetherAlwaysHoldTheWholeFrame) {
    // Overlapping spectra and positive rates: every bin is divided, none lost.
    const int parts = 3;
    for (int p = 0; p < parts; ++p) add_part();
    for (int i = 1; i < N / 2; ++i) {
        line(L_s(0), nullptr, i, 1.0 + (i % 7));
        line(L_s(1), nullptr, i, (i % 3) == 0 ? 0.0 : 5.0 + (i % 11));
        line(L_s(2), nullptr, i, i < 100 ? 2.0 : 0.0);
        st->spc_abs[i] = 20.0 + (i % 13);
        line(frame_re(), frame_im(), i, 1000.0 * std::sin(i * 0.7), 800.0 * std::cos(i * 1.3));
    }
    update(2);
    for (int p = 0; p < parts; ++p) ASSERT_GT(doc->dblCC_EndAns[p], 0.0);
    for (int i = 1; i < N; ++i) {
        EXPECT_NEAR(L_r(0)[i] + L_r(1)[i] + L_r(2)[i], frame_re()[i], 1e-9) << i;
        EXPECT_NEAR(L_i(0)[i] + L_i(1)[i] + L_i(2)[i], frame_im()[i], 1e-9) << i;
    }
}

TEST_F(part_update, RatesOfZeroSilenceEveryPartAndSwitchItOff) {
    const int a = add_part();
    const int b = add_part();
    line(L_s(a), nullptr, 10, 2.0);
    line(L_s(b), nullptr, 20, 2.0);  // targets at both peaks are 0: both rates fall to exactly 0
    line(frame_re(), frame_im(), 10, 5000.0, 100.0);
    line(frame_re(), frame_im(), 40, 7000.0, 300.0);
    st->atk_top_L = 100;
    doc->prt_cur_len_L[a] = doc->prt_cur_len_L[b] = 999;
    for (int f = 100; f < 100 + N; ++f) put_frame_sample(doc->h_Mem_wv_temp_dt[a], f, 0, 1234);

    update(2);

    EXPECT_EQ(doc->dblCC_EndAns[a], 0.0);
    EXPECT_EQ(doc->dblCC_EndAns[b], 0.0);
    for (int p : {a, b}) {
        for (int i = 0; i < N; ++i) ASSERT_EQ(L_s(p)[i], 0.0);
        EXPECT_EQ(doc->dblVolAdd_L[p], 0.0);
        EXPECT_EQ(doc->prt_act_flg_L[p], 0);
        EXPECT_EQ(doc->prt_cur_len_L[p], 0);
        EXPECT_EQ(doc->prt_act_flg_R[p], 1);  // the other channel is not touched
    }
    for (int f = 100; f < 100 + N; ++f) ASSERT_EQ(wave(a, f, 0), 0) << f;
}

TEST_F(part_update, ASilentPartOnlyLetsItsVolumeDecay) {
    const int a = add_part();
    const int b = add_part(false, true);
    line(L_s(a), nullptr, 10, 3.0);
    line(L_s(b), nullptr, 10, 5.0);
    line(L_r(b), nullptr, 10, 77.0);
    st->spc_abs[10] = 30.0;
    line(frame_re(), frame_im(), 10, 400.0);
    doc->dblVolAdd_L[b] = 900.0;
    doc->prt_cur_len_L[b] = 500;
    doc->dblCC_EndAns[b] = 55.0;

    update(2);

    EXPECT_EQ(doc->dblCC_EndAns[b], 0.0);
    EXPECT_EQ(doc->dblVolPrv_L[b], 900.0);
    EXPECT_EQ(doc->dblVolAdd_L[b], 0.0);
    EXPECT_EQ(doc->prt_cur_len_L[b], 0);
    EXPECT_EQ(L_r(b)[10], 77.0);  // its spectrum is kept
    EXPECT_DOUBLE_EQ(L_r(a)[10], 400.0);
    EXPECT_NEAR(doc->dblCC_EndAns[a], 10.0, 1e-9);
}

TEST_F(part_update, APartOutsideTheSolvedSystemIsCarriedOnAtRateOne) {
    // Part 0 has no peak (an all-zero spectrum) and so adds no row; the system
    // has one row and leaves part 1 out of it.
    add_part();
    add_part();
    line(L_s(1), nullptr, 10, 3.0);
    st->spc_abs[10] = 600.0;
    doc->dblCC_EndAns[1] = 777.0;
    update(2);
    EXPECT_EQ(doc->intCoefSetCnt, 1);
    EXPECT_EQ(doc->dblCC_EndAns[1], 1.0);
    EXPECT_EQ(doc->dblCC_EndAns[0], 1.0);
}

TEST_F(part_update, AReattackOpensARecordOnlyForAPartSilentOnBothChannels) {
    const int p = add_part(false, false);
    doc->intPart_Inf_Cnt[p] = 1;
    doc->intNowAtackPartNmb = p + 1;
    doc->intShiftVal = 7;
    set_range(100, 4 * N - 1);
    st->atk_top_L = 3000;
    st->atk_top_R = 2900;
    log_on_flg = 1;
    update(1);
    ASSERT_EQ(doc->intPart_Inf_Cnt[p], 2);
    const msc_prt_inf_t& r = rec(p, 1);
    EXPECT_EQ(r.opn_L, 1);
    EXPECT_EQ(r.opn_R, 1);
    EXPECT_EQ(r.stt_orgn_L, 3000);
    EXPECT_EQ(r.stt_ofs_L, 2900);
    EXPECT_EQ(r.stt_orgn_R, 2900);
    EXPECT_EQ(r.stt_ofs_R, 2800);
    EXPECT_EQ(r.data_cnt_R, 0);
    EXPECT_EQ(r.data_cnt_L, 3000 + N - 3000);  // the update of this frame extends the left side
    EXPECT_EQ(doc->prt_act_flg_L[p], 0);        // an empty spectrum switches it straight off again
    EXPECT_EQ(doc->prt_shift_val_L[p], 7);
    EXPECT_EQ(count_prefix(log_lines(),
                           "<update_already_part> 再度立上 : intPart_Ptr=  0 intPart_Inf_Ptr=   1 put_ptr=2900 "),
              1);

    // Active on the other channel: no new record, but flag and shift are taken.
    doc->prt_act_flg_R[p] = 1;
    doc->intShiftVal = 3;
    st->chnl_slct = 1;
    update(1);
    EXPECT_EQ(doc->intPart_Inf_Cnt[p], 2);
    EXPECT_EQ(doc->prt_shift_val_L[p], 3);
}

TEST_F(part_update, RegularUpdatesNeverOpenARecord) {
    const int p = add_part(false, false);
    doc->intPart_Inf_Cnt[p] = 1;
    doc->intNowAtackPartNmb = p + 1;
    for (int mode : {2, 6}) {
        st->chnl_slct = mode == 2 ? 1 : 2;
        update(mode);
        EXPECT_EQ(doc->intPart_Inf_Cnt[p], 1);
        EXPECT_EQ(doc->prt_act_flg_L[p], 0);
        EXPECT_EQ(doc->prt_act_flg_R[p], 0);
    }
    st->chnl_slct = 2;
    update(3);
    EXPECT_EQ(doc->intPart_Inf_Cnt[p], 2);
    EXPECT_EQ(rec(p, 1).opn_R, 1);
}

TEST_F(part_update, APartWithAFullRecordAreaGoesOnInItsLastEpisode) {
    const int p = add_part(false, false);
    doc->intPart_Inf_Cnt[p] = prt_inf_rec_cnt;
    doc->intNowAtackPartNmb = p + 1;
    update(1);
    EXPECT_EQ(doc->intPart_Inf_Cnt[p], prt_inf_rec_cnt);
    EXPECT_EQ(log_lines(),
              (std::vector<std::string>{"<update_already_part> intPart_Inf_Cnt[  0]= 8192 Limit reached !!"}));
}

TEST_F(part_update, ABusyWorkBufferStopsTheRunAndLeavesThePartAsItWas) {
    const int p = add_part();
    line(L_s(p), nullptr, 3, 1.0);
    line(frame_re(), frame_im(), 3, 9000.0);
    intUse_fr_1a_F = use_flag_busy;
    EXPECT_EQ(update(2), 0);
    EXPECT_EQ(st->err_stop, 1);
    EXPECT_EQ(L_r(p)[3], 0.0);
    EXPECT_EQ(log_lines(),
              (std::vector<std::string>{"extern_update_already_part():  <intUse_fr_1a_F> Allready YES !! "}));

    // The inverse-transform buffers busy: the spectrum is stored, no sample is
    // written, and the spectrum buffers are given back.
    reset_work_area_flags();
    st->err_stop = 2;
    intUse_ivdft_1_F = use_flag_busy;
    st->atk_top_L = 0;
    update(2);
    EXPECT_EQ(st->err_stop, 1);
    EXPECT_EQ(L_r(p)[3], 9000.0);
    for (int f = 0; f < N; ++f) ASSERT_EQ(wave(p, f, 0), 0);
    EXPECT_EQ(intUse_fr_1a_F, use_flag_free);
    EXPECT_EQ(log_lines().back(), "extern_update_already_part():  <intUse_ivdft_1_F> Allready YES !! ");
}

TEST_F(part_update, SamplesWrapToSixteenBitsAndStopAtTheRangeEnd) {
    const int p = add_part();
    L_s(p)[0] = 1.0;
    frame_re()[0] = 40000.0 * N;  // a constant 40000 after the inverse transform
    set_range(0, 2999);
    st->atk_top_L = 2500;
    update(2);
    // Frames 2500 .. 2998 are written (the limit is end - start = 2999).
    EXPECT_EQ(wave(p, 2500, 0), 40000 - 65536);
    EXPECT_EQ(wave(p, 2998, 0), 40000 - 65536);
    EXPECT_EQ(wave(p, 2999, 0), 0);
    EXPECT_EQ(wave(p, 3100, 0), 0);
    // The level still counts the whole second half of the frame.
    EXPECT_DOUBLE_EQ(doc->dblWvLvl_L[p], 40000.0 * N / 2);
    EXPECT_EQ(rec(p).data_cnt_L, 2999);
}

TEST_F(part_update, TraceLinesNameEveryPhaseWhileLoggingIsOn) {
    const int p = add_part();
    line(L_s(p), nullptr, 5, 1.0);
    line(frame_re(), frame_im(), 5, 1e6);
    st->anlz_ptr = st->anlz_ptr_L = st->anlz_ptr_R = 1500;
    st->atk_top_L = 476;
    log_on_flg = 1;
    update(2);
    const auto lines = log_lines();
    const std::string pos = "anlz_ptr=    1500 chnl_slct=1 anlz_ptr_L=    1500, anlz_ptr_R=    1500, ";
    EXPECT_EQ(count_prefix(lines, "<update_already_part> 音圧配分 ON  : dblRate_Tgt[  0]=    1.0000, " + pos), 1);
    EXPECT_EQ(count_prefix(lines, "<update_already_part> 誤差成分 : "), 3);
    EXPECT_EQ(count_prefix(lines, "<update_already_part> 算出結果率 : "), 3);
    EXPECT_EQ(count_prefix(lines, "<update_already_part> 現在音圧 : dblVolAdd[  0]=2000000.0000, " + pos), 1);
    // Every trace line follows a separator holding a single blank.
    for (std::size_t i = 0; i < lines.size(); i += 2) {
        EXPECT_EQ(lines[i], " ");
        EXPECT_EQ(lines[i + 1].rfind("<update_already_part> ", 0), 0u);
    }
}

}  // namespace
