#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "engine/de_spike.h"
#include "engine/part_mix.h"
#include "part_fixture.h"

namespace {

using part_mix = part_test;

// ---- de-spike ------------------------------------------------------------

// A waveform of len frames whose left channel is given and whose right
// channel holds the same values negated.
std::vector<unsigned char> stereo(const std::vector<int>& left) {
    std::vector<unsigned char> w(4 * left.size());
    for (std::size_t f = 0; f < left.size(); ++f) {
        put_frame_sample(w.data(), static_cast<std::int64_t>(f), 0, static_cast<std::int16_t>(left[f]));
        put_frame_sample(w.data(), static_cast<std::int64_t>(f), 1, static_cast<std::int16_t>(-left[f]));
    }
    return w;
}

std::vector<int> channel(const std::vector<unsigned char>& w, int ch) {
    std::vector<int> out(w.size() / 4);
    for (std::size_t f = 0; f < out.size(); ++f) out[f] = get_frame_sample(w.data(), static_cast<std::int64_t>(f), ch);
    return out;
}

TEST(de_spike, AStepOfMoreThan20000BecomesARampThroughItsMidpoint) {
    std::vector<int> left(24, 0);
    for (int f = 10; f < 24; ++f) left[f] = 20001;
    auto w = stereo(left);
    de_spike_samples(w.data(), 0, 24, 24);
    const std::vector<int> want = {0,     0,     0,     0,     0,     0,     0,     1250,
                                   3333,  6041,  10000, 13957, 16666, 18750, 20001, 20001,
                                   20001, 20001, 20001, 20001, 20001, 20001, 20001, 20001};
    EXPECT_EQ(channel(w, 0), want);
    std::vector<int> right = channel(w, 1);
    for (std::size_t f = 0; f < left.size(); ++f) EXPECT_EQ(right[f], -left[f]) << "the right channel is untouched";
}

TEST(de_spike, AStepOfExactly20000IsLeftAlone) {
    std::vector<int> left(24, -10000);
    for (int f = 10; f < 24; ++f) left[f] = 10000;
    auto w = stereo(left);
    de_spike_samples(w.data(), 0, 24, 24);
    EXPECT_EQ(channel(w, 0), left);
}

TEST(de_spike, AJumpAtTheFifthSampleRampsFromAFlatStart) {
    std::vector<int> left(16, 30000);
    for (int f = 0; f < 4; ++f) left[f] = 100;
    auto w = stereo(left);
    de_spike_samples(w.data(), 0, 16, 16);
    const std::vector<int> got = channel(w, 0);
    EXPECT_EQ((std::vector<int>(got.begin(), got.begin() + 9)),
              (std::vector<int>{100, 1968, 5082, 9131, 15050, 20967, 25016, 28131, 30000}));
}

TEST(de_spike, TheFourSamplesAfterASmoothedJumpAreNotExaminedAgain) {
    // The right ramp of the jump at 10 ends in a new jump of 31060 between
    // frames 10 and 11; it stays, while the jump at 15 (four on) is smoothed.
    std::vector<int> left(30, 0);
    left[5] = -5000;  // down to -32768 in steps the smoothing leaves alone
    left[6] = -15000;
    left[7] = -25000;
    left[8] = -32768;
    left[9] = -32768;
    left[10] = -10000;
    left[14] = 30000;
    left[15] = -30000;
    auto w = stereo(left);
    de_spike_samples(w.data(), 0, 30, 30);
    const std::vector<int> got = channel(w, 0);
    EXPECT_EQ(got[10], -21384);
    EXPECT_EQ(got[11], 9676);
    EXPECT_EQ(got[15], (30000 + -30000) / 2);
}

TEST(de_spike, JumpsInTheLastFourFramesOfTheRangeAndBeyondItStay) {
    std::vector<int> left(40, 0);
    left[16] = 25000;  // len 20: positions 4 .. 15 are examined
    auto w = stereo(left);
    de_spike_samples(w.data(), 0, 40, 20);
    EXPECT_EQ(channel(w, 0), left);

    // A range reaching the end of the area stops where the ramp would leave it.
    left.assign(12, 0);
    left[6] = 25000;  // its right ramp reads up to frame 11, the last one
    w = stereo(left);
    de_spike_samples(w.data(), 0, 12, 100);
    EXPECT_EQ(channel(w, 0)[6], 12500);
    left[6] = 0;
    left[7] = 25000;  // its ramp would read frame 12
    w = stereo(left);
    de_spike_samples(w.data(), 0, 12, 100);
    EXPECT_EQ(channel(w, 0), left);
}

// ---- the mix ---------------------------------------------------------------

TEST_F(part_mix, RecordsAreAddedAtTheirOwnStartsWithWrappingSums) {
    const int a = add_part();
    const int b = add_part();
    for (int f = 0; f < 400; ++f) {
        put_frame_sample(doc->h_Mem_wv_temp_dt[a], f, 0, static_cast<std::int16_t>(30000));
        put_frame_sample(doc->h_Mem_wv_temp_dt[a], f, 1, static_cast<std::int16_t>(f));
        put_frame_sample(doc->h_Mem_wv_temp_dt[b], f, 0, static_cast<std::int16_t>(5000));
    }
    doc->intPart_Inf_Cnt[a] = 2;
    rec(a, 0) = {1, 1, 0, 0, 10, 0, 50, 5, 0, 0, 100, 200};
    rec(a, 1) = {1, 1, 0, 300, 0, 0, 20, 0, 0, 0, 1000, 0};
    doc->intPart_Inf_Cnt[b] = 1;
    rec(b, 0) = {1, 1, 0, 0, 0, 0, 10, 0, 0, 0, 120, 0};
    st->prt_mix_flg[a] = st->prt_mix_flg[b] = 1;
    std::memset(doc->mdfy_dt, 0x55, 4 * 4 * N);

    make_mdfy_dt_from_each_part(*st, *doc);
    auto mix = [&](int f, int ch) { return get_frame_sample(doc->mdfy_dt, f, ch); };
    EXPECT_EQ(mix(99, 0), 0);
    EXPECT_EQ(mix(100, 0), 30000);
    EXPECT_EQ(mix(120, 0), 35000 - 65536);  // both parts: the sum wraps
    EXPECT_EQ(mix(129, 0), 35000 - 65536);
    EXPECT_EQ(mix(130, 0), 30000);
    EXPECT_EQ(mix(150, 0), 0);
    EXPECT_EQ(mix(200, 1), 10);   // right: from offset 10
    EXPECT_EQ(mix(204, 1), 14);
    EXPECT_EQ(mix(205, 1), 0);
    EXPECT_EQ(mix(1000, 0), 30000);  // the second episode at its own start
    EXPECT_EQ(mix(1019, 0), 30000);
    EXPECT_EQ(mix(1020, 0), 0);
    EXPECT_EQ(mix(4 * N - 1, 1), 0);

    st->prt_mix_flg[a] = 0;
    make_mdfy_dt_from_each_part(*st, *doc);
    EXPECT_EQ(mix(100, 0), 0);
    EXPECT_EQ(mix(120, 0), 5000);

    st->prt_mix_flg[b] = 0;
    make_mdfy_dt_from_each_part(*st, *doc);
    for (int f = 0; f < 4 * N; ++f) ASSERT_EQ(mix(f, 0) | mix(f, 1), 0) << f;
}

TEST_F(part_mix, TheMixNeitherWritesPastTheRecordingNorReadsOutsideAPart) {
    const int a = add_part();
    const std::int64_t c = cap(a);
    for (std::int64_t f = 0; f < c; ++f) put_frame_sample(doc->h_Mem_wv_temp_dt[a], f, 0, 7);
    doc->intPart_Inf_Cnt[a] = 3;
    rec(a, 0) = {1, 1, 0, 0, 0, 0, 100, 0, 0, 0, 4 * N - 6, 0};                        // runs off the recording
    rec(a, 1) = {1, 1, 0, static_cast<std::int32_t>(c - 3), 0, 0, 100, 0, 0, 0, 10, 0};  // runs off the part
    rec(a, 2) = {1, 1, 0, -5, 0, 0, 10, 0, 0, 0, 500, 0};                              // starts before the part
    st->prt_mix_flg[a] = 1;
    const std::int64_t data = 4 * 4 * N;
    const std::int64_t held = data * 5 / 4;
    std::memset(doc->mdfy_dt + data, 0x5A, static_cast<std::size_t>(held - data));

    make_mdfy_dt_from_each_part(*st, *doc);
    auto mix = [&](int f) { return get_frame_sample(doc->mdfy_dt, f, 0); };
    EXPECT_EQ(mix(4 * N - 1), 7);
    for (std::int64_t i = data; i < held; ++i) ASSERT_EQ(doc->mdfy_dt[i], 0x5A);
    EXPECT_EQ(mix(12), 7);
    EXPECT_EQ(mix(13), 0);
    EXPECT_EQ(mix(504), 0);
    EXPECT_EQ(mix(505), 7);
    EXPECT_EQ(mix(509), 7);
    EXPECT_EQ(mix(510), 0);
}

TEST_F(part_mix, TheResidualPartMakesTheMixReproduceTheRecordingOverTheRange) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> d(-32768, 32767);
    make_recording(4 * N, [&](int, int) { return d(rng); });
    set_range(100, 2099);
    const int a = add_part();
    for (int f = 0; f < cap(a); ++f) {
        put_frame_sample(doc->h_Mem_wv_temp_dt[a], f, 0, static_cast<std::int16_t>(d(rng)));
        put_frame_sample(doc->h_Mem_wv_temp_dt[a], f, 1, static_cast<std::int16_t>(d(rng)));
    }
    doc->intPart_Inf_Cnt[a] = 1;
    rec(a, 0) = {1, 1, 0, 0, 0, 0, 1500, 1500, 0, 0, 300, 300};
    st->prt_mix_flg[a] = 1;

    ASSERT_EQ(add_total_diff_part(*st, *doc), 0);
    ASSERT_EQ(doc->intPart_Cnt, 2);
    const int t = 1;
    EXPECT_STREQ(doc->prt_name[t], "Total_Diff.");
    EXPECT_EQ(st->intPart_Cnt, 2);
    EXPECT_EQ(st->prt_mix_flg[t], 1);
    EXPECT_EQ(st->prt_disp_flg[t], 1);
    EXPECT_EQ(doc->prt_act_flg_L[t], 1);
    EXPECT_EQ(doc->prt_act_flg_R[t], 1);
    EXPECT_EQ(doc->intPart_Inf_Cnt[t], 1);
    const msc_prt_inf_t r = rec(t);
    EXPECT_EQ((std::vector<int>{r.opn_L, r.opn_R, r.stt_ofs, r.stt_ofs_L, r.stt_ofs_R, r.data_cnt, r.data_cnt_L,
                                r.data_cnt_R, r.max_len, r.stt_orgn, r.stt_orgn_L, r.stt_orgn_R}),
              (std::vector<int>{1, 1, 0, 0, 0, 2000, 2000, 2000, 2000, 100, 100, 100}));

    make_mdfy_dt_from_each_part(*st, *doc);
    EXPECT_EQ(std::memcmp(doc->mdfy_dt + 4 * 100, doc->orgn_dt + 4 * 100, 4 * 2000), 0);
    EXPECT_EQ(get_frame_sample(doc->mdfy_dt, 99, 0), 0);  // outside the range the mix is silent
    EXPECT_EQ(get_frame_sample(doc->mdfy_dt, 2100, 1), 0);

    // Without the part, what is left is the residual alone.
    st->prt_mix_flg[a] = 0;
    make_mdfy_dt_from_each_part(*st, *doc);
    for (int f = 100; f < 2100; ++f) {
        const auto want = static_cast<std::int16_t>(get_frame_sample(doc->orgn_dt, f, 0) -
                                                    (f < 300 || f >= 1800 ? 0 : wave(a, f - 300, 0)));
        ASSERT_EQ(get_frame_sample(doc->mdfy_dt, f, 0), want) << f;
    }
}

TEST_F(part_mix, ARunThatFoundNoPartLeavesTheResidualEqualToTheRecording) {
    make_recording(3000, [](int ch, int f) { return ch == 0 ? f : -f; });
    set_range(0, 2999);
    ASSERT_EQ(add_total_diff_part(*st, *doc), 0);
    EXPECT_EQ(doc->intPart_Cnt, 1);
    for (int f = 0; f < 3000; ++f) {
        ASSERT_EQ(wave(0, f, 0), f);
        ASSERT_EQ(wave(0, f, 1), -f);
    }
}

TEST_F(part_mix, NoRoomForTheResidualPartStopsTheRunWithoutIt) {
    sys_param.part_max = 1;
    add_part();
    EXPECT_EQ(add_total_diff_part(*st, *doc), -1);
    EXPECT_EQ(st->err_stop, 1);
    EXPECT_EQ(doc->intPart_Cnt, 1);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"<alloc_temp_area_add>  Limit reached !!"}));
}

TEST_F(part_mix, SmoothingOfThePartsTouchesOnlyTheirLeftChannels) {
    const int a = add_part();
    for (int f = 0; f < 100; ++f) {
        put_frame_sample(doc->h_Mem_wv_temp_dt[a], f, 0, static_cast<std::int16_t>(f < 50 ? -15000 : 15000));
        put_frame_sample(doc->h_Mem_wv_temp_dt[a], f, 1, static_cast<std::int16_t>(f < 50 ? -15000 : 15000));
    }
    de_spike_parts(*st, *doc);
    EXPECT_EQ(wave(a, 50, 0), 0);
    EXPECT_EQ(wave(a, 50, 1), 15000);
}

TEST_F(part_mix, TheEndOfARunShowsEveryPart) {
    add_part();
    add_part();
    st->prt_disp_flg[0] = 0;
    st->intPart_Cnt = 0;
    finish_extr_run(*st, *doc);
    EXPECT_EQ(st->intPart_Cnt, 2);
    EXPECT_EQ(st->prt_disp_flg[0], 1);
    EXPECT_EQ(st->prt_disp_flg[1], 1);
    EXPECT_EQ(st->prt_disp_flg[2], 0);
}

}  // namespace
