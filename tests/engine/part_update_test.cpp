#include "engine/part_update.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/part_access.h"
#include "engine/part_mix.h"
#include "engine/part_update_bins.h"
#include "part_fixture.h"

namespace {

class part_update : public part_test {
   protected:
    void SetUp() override {
        part_test::SetUp();
        ASSERT_EQ(alloc_coef_area(*st, *doc), 0);
    }
    // The frame being distributed: spectrum-history slot 7 of the selected channel.
    double* fre() { return st->spc_hst_X().re(7); }
    double* fim() { return st->spc_hst_X().im(7); }
    void update(int mode) { EXPECT_EQ(update_already_part(*st, *doc, mode), 0); }
};

// Direct inverse DFT, real part of sample t.
double direct_inverse(const double* re, const double* im, int n, int t) {
    double s = 0.0;
    for (int k = 0; k < n; ++k)
        s += re[k] * std::cos(2 * M_PI * k * t / n) - im[k] * std::sin(2 * M_PI * k * t / n);
    return s / n;
}

TEST_F(part_update, OnePartTakesTheFrameWhereItHadEnergyAndWritesItAtTheWindow) {
    const int p = add_part(true, false);
    line(L_s(p), nullptr, 3, 1.0);
    line(L_s(p), nullptr, 5, 0.5);
    std::fill_n(fre(), N, 777.0);
    std::fill_n(fim(), N, -55.0);
    line(fre(), fim(), 3, 200000.0, 50000.0);
    line(fre(), fim(), 5, -150000.0);
    doc->intPart_Inf_Cnt[p] = 1;
    rec(p) = {1, 1, 0, 0, 0, 0, 0, 0, N, 0, 500, 0};
    doc->dblVolAdd_L[p] = 42.0;
    st->atk_top_L = 1024;
    update(2);

    for (int i = 0; i < N; ++i) {
        const bool mine = i == 3 || i == 5 || i == N - 3 || i == N - 5;
        ASSERT_EQ(L_r(p)[i], mine ? fre()[i] : 0.0) << i;
        ASSERT_EQ(L_i(p)[i], mine ? fim()[i] : 0.0) << i;
    }
    EXPECT_DOUBLE_EQ(doc->dblVolAdd_L[p], 2 * std::hypot(200000.0, 50000.0) + 2 * 150000.0);
    EXPECT_EQ(doc->dblVolPrv_L[p], 42.0);
    double level = 0.0;
    for (int t = 0; t < N; ++t) {
        ASSERT_NEAR(wave(p, 1024 + t, 0), static_cast<int>(direct_inverse(L_r(p), L_i(p), N, t)), 1) << t;
        ASSERT_EQ(wave(p, 1024 + t, 1), 0);
        if (t >= N / 2) level += std::abs(wave(p, 1024 + t, 0));
    }
    EXPECT_EQ(wave(p, 1023, 0), 0);
    EXPECT_NEAR(doc->dblWvLvl_L[p], level, N / 2);
    EXPECT_EQ(rec(p).data_cnt_L, 2048 - 500);  // the episode reaches the window's end
    EXPECT_EQ(doc->prt_cur_len_L[p], 2048 - 500);
    EXPECT_EQ(doc->prt_act_flg_L[p], 1);
    EXPECT_EQ(intUse_fr_1a_F, use_flag_free);
    EXPECT_EQ(intUse_ivdft_1_F, use_flag_free);
}

TEST_F(part_update, TwoPartsWithDisjointSpectraTakeTheirOwnBinsAndShareTheRestByRate) {
    const int a = add_part(), b = add_part();
    line(L_s(a), nullptr, 10, 4.0);
    line(L_s(b), nullptr, 20, 2.0);
    st->spc_abs[10] = 12.0;  // rate of a: 3
    st->spc_abs[20] = 2.0;   // rate of b: 1
    for (int k : {10, 20, 30}) line(fre(), fim(), k, 10.0 * k, k);
    update(2);
    EXPECT_NEAR(doc->dblCC_EndAns[a], 3.0, 1e-12);
    EXPECT_NEAR(doc->dblCC_EndAns[b], 1.0, 1e-12);
    EXPECT_EQ((std::vector<double>{L_r(a)[10], L_r(b)[10], L_r(a)[20], L_r(b)[20], L_i(b)[N - 20]}),
              (std::vector<double>{100.0, 0.0, 0.0, 200.0, -20.0}));
    EXPECT_DOUBLE_EQ(L_r(a)[30], 225.0);  // bin 30 belongs to neither: 3 : 1
    EXPECT_DOUBLE_EQ(L_r(b)[30], 75.0);
}

TEST_F(part_update, ThePartsTogetherAlwaysHoldTheWholeFrame) {
    for (int p = 0; p < 3; ++p) add_part();
    for (int i = 1; i < N / 2; ++i) {
        line(L_s(0), nullptr, i, 1.0 + (i % 7));
        line(L_s(1), nullptr, i, (i % 3) == 0 ? 0.0 : 5.0 + (i % 11));
        line(L_s(2), nullptr, i, i < 100 ? 2.0 : 0.0);
        st->spc_abs[i] = 20.0 + (i % 13);
        line(fre(), fim(), i, 1000.0 * std::sin(i * 0.7), 800.0 * std::cos(i * 1.3));
    }
    update(2);
    for (int p = 0; p < 3; ++p) ASSERT_GT(doc->dblCC_EndAns[p], 0.0);
    for (int i = 1; i < N; ++i) {
        ASSERT_NEAR(L_r(0)[i] + L_r(1)[i] + L_r(2)[i], fre()[i], 1e-9) << i;
        ASSERT_NEAR(L_i(0)[i] + L_i(1)[i] + L_i(2)[i], fim()[i], 1e-9) << i;
    }
}

TEST_F(part_update, RatesOfZeroSilenceEveryPartAndSwitchItOff) {
    const int a = add_part(), b = add_part();
    line(L_s(a), nullptr, 10, 2.0);
    line(L_s(b), nullptr, 20, 2.0);  // both targets 0: both rates fall to exactly 0
    line(fre(), fim(), 10, 5000.0, 100.0);
    line(fre(), fim(), 40, 7000.0, 300.0);
    st->atk_top_L = 100;
    doc->prt_cur_len_L[a] = 999;
    for (int f = 100; f < 100 + N; ++f) put_wave(a, f, 0, 1234);
    update(2);
    for (int p : {a, b}) {
        EXPECT_EQ(doc->dblCC_EndAns[p], 0.0);
        EXPECT_EQ(*std::max_element(L_s(p), L_s(p) + N), 0.0);
        EXPECT_EQ(doc->dblVolAdd_L[p], 0.0);
        EXPECT_EQ(doc->prt_act_flg_L[p], 0);
        EXPECT_EQ(doc->prt_cur_len_L[p], 0);
        EXPECT_EQ(doc->prt_act_flg_R[p], 1);  // the other channel is untouched
    }
    for (int f = 100; f < 100 + N; ++f) ASSERT_EQ(wave(a, f, 0), 0) << f;
}

TEST_F(part_update, ASilentPartOnlyLetsItsVolumeDecayAndAnUnsolvedPartKeepsRateOne) {
    const int a = add_part(), b = add_part(false, true), c = add_part();
    line(L_s(a), nullptr, 10, 3.0);
    line(L_s(b), nullptr, 10, 5.0);
    line(L_r(b), nullptr, 10, 77.0);
    st->spc_abs[10] = 30.0;
    line(fre(), fim(), 10, 400.0);
    doc->dblVolAdd_L[b] = 900.0;
    doc->prt_cur_len_L[b] = 500;
    doc->dblCC_EndAns[b] = 55.0;
    doc->dblCC_EndAns[c] = 777.0;
    update(2);
    // Rows: a's peak, b's empty row; c (no peak, no row) stays outside the system.
    EXPECT_EQ(doc->intCoefSetCnt, 2);
    EXPECT_NEAR(doc->dblCC_EndAns[a], 10.0, 1e-9);
    EXPECT_EQ(doc->dblCC_EndAns[b], 0.0);
    EXPECT_EQ(doc->dblCC_EndAns[c], 1.0);
    EXPECT_EQ(doc->dblVolPrv_L[b], 900.0);
    EXPECT_EQ(doc->dblVolAdd_L[b], 0.0);
    EXPECT_EQ(doc->prt_cur_len_L[b], 0);
    EXPECT_EQ(L_r(b)[10], 77.0);  // the silent part keeps its spectrum
    EXPECT_DOUBLE_EQ(L_r(a)[10], 400.0);
}

TEST_F(part_update, OnlyAReattackOfAPartSilentOnBothChannelsOpensARecord) {
    const int p = add_part(false, false);
    doc->intPart_Inf_Cnt[p] = 1;
    doc->intNowAtackPartNmb = p + 1;
    doc->intShiftVal = 7;
    set_range(100, 4 * N - 1);
    st->atk_top_L = 3000;
    st->atk_top_R = 2900;
    for (int mode : {2, 6}) {  // regular updates never open one
        st->chnl_slct = mode == 2 ? 1 : 2;
        update(mode);
        EXPECT_EQ(doc->intPart_Inf_Cnt[p], 1);
    }
    st->chnl_slct = 1;
    log_on_flg = 1;
    update(1);
    ASSERT_EQ(doc->intPart_Inf_Cnt[p], 2);
    const msc_prt_inf_t& r = rec(p, 1);
    EXPECT_EQ((std::vector<int>{r.opn_L, r.opn_R, r.stt_orgn_L, r.stt_ofs_L, r.stt_orgn_R, r.stt_ofs_R,
                                r.data_cnt_R}),
              (std::vector<int>{1, 1, 3000, 2900, 2900, 2800, 0}));
    EXPECT_EQ(r.data_cnt_L, N);           // extended by this update's frame
    EXPECT_EQ(doc->prt_act_flg_L[p], 0);  // an empty spectrum switches it straight off again
    EXPECT_EQ(doc->prt_shift_val_L[p], 7);
    EXPECT_EQ(log_lines()[1].rfind(
                  "<update_already_part> 再度立上 : intPart_Ptr=  0 intPart_Inf_Ptr=   1 put_ptr=2900 "
                  "anlz_ptr=       0 chnl_slct=1 ",
                  0),
              0u);

    doc->prt_act_flg_R[p] = 1;  // sounding on the other channel: flag and shift only
    doc->intShiftVal = 3;
    update(1);
    EXPECT_EQ(doc->intPart_Inf_Cnt[p], 2);
    EXPECT_EQ(doc->prt_shift_val_L[p], 3);

    doc->prt_act_flg_R[p] = 0;
    doc->intPart_Inf_Cnt[p] = prt_inf_rec_cnt;  // a full record area: the last episode goes on
    log_on_flg = 0;
    update(1);
    EXPECT_EQ(doc->intPart_Inf_Cnt[p], prt_inf_rec_cnt);
    EXPECT_EQ(log_lines().back(), "<update_already_part> intPart_Inf_Cnt[  0]= 8192 Limit reached !!");
}

TEST_F(part_update, ABusyWorkBufferStopsTheRunAtThatPart) {
    const int p = add_part();
    line(L_s(p), nullptr, 3, 1.0);
    line(fre(), fim(), 3, 9000.0);
    intUse_fr_1a_F = use_flag_busy;
    update(2);
    EXPECT_EQ(st->err_stop, 1);
    EXPECT_EQ(L_r(p)[3], 0.0);

    // Inverse-transform output busy: the spectrum is stored, no sample written,
    // the spectrum buffers given back.
    reset_work_area_flags();
    intUse_ivdft_1_F = use_flag_busy;
    update(2);
    EXPECT_EQ(L_r(p)[3], 9000.0);
    for (int f = 0; f < N; ++f) ASSERT_EQ(wave(p, f, 0), 0);
    EXPECT_EQ(intUse_fr_1a_F, use_flag_free);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{
                               "extern_update_already_part():  <intUse_fr_1a_F> Allready YES !! ",
                               "extern_update_already_part():  <intUse_ivdft_1_F> Allready YES !! "}));
}

TEST_F(part_update, SamplesBeyondFullScaleAreHeldThereUpToTheRangeEndAndTheResidualStillGivesTheRecording) {
    // A loud recording; the part comes out louder still: +40000, -40000, then
    // +40000 again in a window that the range end cuts off.
    for (int f = 0; f < 4 * N; ++f)
        put_frame_sample(doc->orgn_dt, f, 0, 30000 - f % 7), put_frame_sample(doc->orgn_dt, f, 1, -31000);
    const int p = add_part();
    doc->intPart_Inf_Cnt[p] = 1;
    L_s(p)[0] = 1.0;
    set_range(0, 2999);
    for (const auto& [win, v] : {std::pair{0, 40000.0}, {1024, -40000.0}, {2500, 40000.0}}) {
        fre()[0] = v * N;  // a constant v after the inverse transform
        st->atk_top_L = win;
        update(2);
    }
    EXPECT_EQ((std::vector<int>{wave(p, 0, 0), wave(p, 1023, 0), wave(p, 1024, 0), wave(p, 2047, 0),
                                wave(p, 2500, 0), wave(p, 2998, 0), wave(p, 2999, 0)}),
              (std::vector<int>{32767, 32767, -32768, -32768, 32767, 32767, 0}))
        << "held at full scale, never wrapped; nothing at or past end - start";
    EXPECT_DOUBLE_EQ(doc->dblWvLvl_L[p], 40000.0 * N / 2) << "the level counts the samples as resynthesised";
    EXPECT_EQ(rec(p).data_cnt_L, 2999);

    // The residual is formed from the stored samples: the mix is the recording
    // again, and without the part it is the recording minus the held samples.
    st->prt_mix_flg[p] = 1;
    ASSERT_EQ(add_total_diff_part(*st, *doc), 0);
    make_mdfy_dt_from_each_part(*st, *doc);
    EXPECT_EQ(std::memcmp(doc->mdfy_dt, doc->orgn_dt, 4 * 3000), 0);
    st->prt_mix_flg[p] = 0;
    make_mdfy_dt_from_each_part(*st, *doc);
    EXPECT_EQ((std::vector<int>{get_frame_sample(doc->mdfy_dt, 7, 0), get_frame_sample(doc->mdfy_dt, 1030, 0),
                                get_frame_sample(doc->mdfy_dt, 2400, 0), get_frame_sample(doc->mdfy_dt, 7, 1)}),
              (std::vector<int>{30000 - 32767, 30000 - 1 + 32768 - 65536, 30000 - 6, -31000}));
}

TEST(part_update_bins, WaveSamplesTruncateLikeOneSampleAtATimeAndTheLevelIsTheirBinOrderSum) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> x = {-0.9, 0.9,           -1.5,          2.5,           2147483646.9, 2147483647.0,
                             3e9,  -2147483647.9, -2147483648.0, -2147483649.5, -inf,         inf,
                             nan,  -0.0,          1e300,         -1e-300};
    for (int i = 0; i < 37; ++i) x.push_back((i * 7919 % 200001 - 100000) * 1234.567);  // odd tail
    const int n = static_cast<int>(x.size());
    for (const int half : {0, 5, n / 2, n}) {
        std::vector<std::int32_t> s(n + 1, 77);
        const double level = upd_wave_samples(n, half, x.data(), s.data());
        double want = 0.0;
        for (int i = 0; i < n; ++i) {
            ASSERT_EQ(s[i], trunc_to_i32(x[i])) << i;
            if (i >= half) want += std::fabs(static_cast<double>(trunc_to_i32(x[i])));
        }
        EXPECT_EQ(s[n], 77);
        EXPECT_EQ(level, want) << half;
    }
}

TEST_F(part_update, TraceLinesFollowASeparatorAndCarryThePositions) {
    const int p = add_part();
    line(L_s(p), nullptr, 5, 1.0);
    line(fre(), fim(), 5, 1e6);
    st->anlz_ptr = st->anlz_ptr_L = st->anlz_ptr_R = 1500;  // inside the window of the bin traces
    log_on_flg = 1;
    update(2);
    const auto lines = log_lines();
    const std::string pos = "anlz_ptr=    1500 chnl_slct=1 anlz_ptr_L=    1500, anlz_ptr_R=    1500, ";
    std::vector<std::string> tags;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        EXPECT_EQ(lines[i], " ");
        tags.push_back(lines[i + 1].substr(0, lines[i + 1].find(" : ")));
    }
    EXPECT_EQ(tags, (std::vector<std::string>{
                        "<update_already_part> 音圧配分 ON ", "<update_already_part> 誤差成分",
                        "<update_already_part> 誤差成分", "<update_already_part> 誤差成分",
                        "<update_already_part> 算出結果率", "<update_already_part> 算出結果率",
                        "<update_already_part> 算出結果率", "<update_already_part> 現在音圧"}));
    EXPECT_EQ(lines[1], "<update_already_part> 音圧配分 ON  : dblRate_Tgt[  0]=    1.0000, " + pos);
    EXPECT_EQ(lines.back(), "<update_already_part> 現在音圧 : dblVolAdd[  0]=2000000.0000, " + pos);
}

}  // namespace
