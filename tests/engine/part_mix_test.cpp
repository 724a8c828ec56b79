#include "engine/part_mix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>

#include "engine/de_spike.h"
#include "engine/extr_engine_steps.h"
#include "engine/extr_run.h"
#include "part_fixture.h"
#include "recording_steps.h"

namespace {

// Smooths a left channel given as values (the right one holds their
// negations and must come back unchanged); returns the new left channel.
std::vector<int> de_spike(const std::vector<int>& left, std::int64_t len, std::int64_t cap = -1) {
    std::vector<unsigned char> w(4 * left.size());
    for (std::size_t f = 0; f < left.size(); ++f) {
        put_frame_sample(w.data(), f, 0, static_cast<std::int16_t>(left[f]));
        put_frame_sample(w.data(), f, 1, static_cast<std::int16_t>(-left[f]));
    }
    de_spike_samples(w.data(), 0, cap < 0 ? static_cast<std::int64_t>(left.size()) : cap, len);
    std::vector<int> out(left.size());
    for (std::size_t f = 0; f < left.size(); ++f) {
        out[f] = get_frame_sample(w.data(), f, 0);
        EXPECT_EQ(get_frame_sample(w.data(), f, 1), static_cast<std::int16_t>(-left[f]))
            << "right, frame " << f;
    }
    return out;
}

TEST(de_spike, AStepOfMoreThan20000BecomesARampThroughItsMidpointAndExactly20000Stays) {
    std::vector<int> step(20, 0);
    std::fill(step.begin() + 10, step.end(), 20001);
    const std::vector<int> got = de_spike(step, 20);
    EXPECT_EQ(std::vector<int>(got.begin() + 6, got.begin() + 15),
              (std::vector<int>{0, 1250, 3333, 6041, 10000, 13957, 16666, 18750, 20001}));
    std::vector<int> even(20, -10000);
    std::fill(even.begin() + 10, even.end(), 10000);
    EXPECT_EQ(de_spike(even, 20), even);
}

TEST(de_spike, AJumpAtTheFifthSampleRampsFromAFlatStart) {
    std::vector<int> left(16, 30000);
    std::fill_n(left.begin(), 4, 100);
    const std::vector<int> got = de_spike(left, 16);
    EXPECT_EQ(std::vector<int>(got.begin(), got.begin() + 9),
              (std::vector<int>{100, 1968, 5082, 9131, 15050, 20967, 25016, 28131, 30000}));
}

TEST(de_spike, TheFourSamplesAfterASmoothedJumpAreNotExaminedAgain) {
    // The right ramp of the jump at 10 ends in a new jump between 10 and 11;
    // it stays, while the jump at 15 (four on) is smoothed.
    std::vector<int> left = {0,      0,      0,      0, 0, -5000, -15000, -25000,
                             -32768, -32768, -10000, 0, 0, 0,     30000,  -30000};
    left.resize(30, 0);
    const std::vector<int> got = de_spike(left, 30);
    EXPECT_EQ((std::vector<int>{got[10], got[11], got[15]}), (std::vector<int>{-21384, 9676, 0}));
}

TEST(de_spike, NothingIsExaminedInTheRangesLastFourFramesOrReadPastTheArea) {
    std::vector<int> left(40, 0);
    left[16] = 25000;  // len 20: positions 4 .. 15 only
    EXPECT_EQ(de_spike(left, 20), left);
    left.assign(12, 0);
    left[6] = 25000;  // its right ramp reads up to frame 11, the last one
    EXPECT_EQ(de_spike(left, 100)[6], 12500);
    left[6] = 0;
    left[7] = 25000;  // its ramp would read frame 12
    EXPECT_EQ(de_spike(left, 100), left);
}

using part_mix = part_test;

TEST_F(part_mix, RecordsAreAddedAtTheirOwnStartsWithWrappingSumsAndOffPartsAreLeftOut) {
    const int a = add_part(), b = add_part();
    for (int f = 0; f < 400; ++f) put_wave(a, f, 0, 30000), put_wave(a, f, 1, f), put_wave(b, f, 0, 5000);
    doc->intPart_Inf_Cnt[a] = 2;
    rec(a, 0) = {1, 1, 0, 0, 10, 0, 50, 5, 0, 0, 100, 200};
    rec(a, 1) = {1, 1, 0, 300, 0, 0, 20, 0, 0, 0, 1000, 0};
    doc->intPart_Inf_Cnt[b] = 1;
    rec(b, 0) = {1, 1, 0, 0, 0, 0, 10, 0, 0, 0, 120, 0};
    st->prt_mix_flg[a] = st->prt_mix_flg[b] = 1;
    std::memset(doc->mdfy_dt, 0x55, 4 * 4 * N);
    auto mix = [&](std::initializer_list<std::pair<int, int>> at) {
        make_mdfy_dt_from_each_part(*st, *doc);
        std::vector<int> v;
        for (auto [f, ch] : at) v.push_back(get_frame_sample(doc->mdfy_dt, f, ch));
        return v;
    };
    EXPECT_EQ(
        mix({{99, 0},
             {100, 0},
             {120, 0},
             {129, 0},
             {130, 0},
             {150, 0},
             {200, 1},
             {204, 1},
             {205, 1},
             {1000, 0},
             {1019, 0},
             {1020, 0},
             {4 * N - 1, 1}}),
        (std::vector<int>{0, 30000, 35000 - 65536, 35000 - 65536, 30000, 0, 10, 14, 0, 30000, 30000, 0, 0}));
    st->prt_mix_flg[a] = 0;
    EXPECT_EQ(mix({{100, 0}, {120, 0}}), (std::vector<int>{0, 5000}));
    st->prt_mix_flg[b] = 0;
    make_mdfy_dt_from_each_part(*st, *doc);
    EXPECT_TRUE(std::all_of(doc->mdfy_dt, doc->mdfy_dt + 4 * 4 * N, [](unsigned char c) { return c == 0; }));
}

TEST_F(part_mix, EachChannelWrapsAloneAndNeverCarriesIntoTheOther) {
    const int a = add_part(), b = add_part();
    for (int f = 0; f < 64; ++f) {
        put_wave(a, f, 0, -1), put_wave(a, f, 1, 30000);
        put_wave(b, f, 0, -32768), put_wave(b, f, 1, -1);
    }
    doc->intPart_Inf_Cnt[a] = doc->intPart_Inf_Cnt[b] = 1;
    rec(a, 0) = {1, 1, 0, 0, 0, 0, 64, 64, 0, 0, 0, 0};
    rec(b, 0) = {1, 1, 0, 0, 0, 0, 64, 64, 0, 0, 0, 0};
    st->prt_mix_flg[a] = st->prt_mix_flg[b] = 1;
    make_mdfy_dt_from_each_part(*st, *doc);
    std::vector<int> v;
    for (int f : {0, 37, 63}) {
        v.push_back(get_frame_sample(doc->mdfy_dt, f, 0));
        v.push_back(get_frame_sample(doc->mdfy_dt, f, 1));
    }
    v.push_back(get_frame_sample(doc->mdfy_dt, 64, 0));
    // Left: -1 + -32768 wraps to 32767; right: 30000 + -1.
    EXPECT_EQ(v, (std::vector<int>{32767, 29999, 32767, 29999, 32767, 29999, 0}));
    for (int f = 0; f < 64; ++f) put_wave(b, f, 1, 30000);
    make_mdfy_dt_from_each_part(*st, *doc);
    EXPECT_EQ(get_frame_sample(doc->mdfy_dt, 5, 1), 60000 - 65536);
    EXPECT_EQ(get_frame_sample(doc->mdfy_dt, 5, 0), 32767);
}

TEST_F(part_mix, TheMixNeitherWritesPastTheRecordingNorReadsOutsideAPart) {
    const int a = add_part();
    const std::int64_t c = cap(a);
    for (std::int64_t f = 0; f < c; ++f) put_wave(a, f, 0, 7);
    doc->intPart_Inf_Cnt[a] = 3;
    rec(a, 0) = {1, 1, 0, 0, 0, 0, 100, 0, 0, 0, 4 * N - 6, 0};                          // off the recording
    rec(a, 1) = {1, 1, 0, static_cast<std::int32_t>(c - 3), 0, 0, 100, 0, 0, 0, 10, 0};  // off the part
    rec(a, 2) = {1, 1, 0, -5, 0, 0, 10, 0, 0, 0, 500, 0};                                // before the part
    st->prt_mix_flg[a] = 1;
    const std::size_t data = 4 * 4 * N;
    std::memset(doc->mdfy_dt + data, 0x5A, data / 4);  // the zero padding after the recording
    make_mdfy_dt_from_each_part(*st, *doc);
    EXPECT_TRUE(
        std::all_of(doc->mdfy_dt + data, doc->mdfy_dt + data + data / 4, [](auto v) { return v == 0x5A; }));
    std::vector<int> v;
    for (int f : {4 * N - 1, 12, 13, 504, 505, 509, 510}) v.push_back(get_frame_sample(doc->mdfy_dt, f, 0));
    EXPECT_EQ(v, (std::vector<int>{7, 7, 0, 0, 7, 7, 0}));
}

TEST_F(part_mix, TheResidualPartMakesTheMixReproduceTheRecordingOverTheRange) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> d(-32768, 32767);
    for (int f = 0; f < 4 * N; ++f)
        put_frame_sample(doc->orgn_dt, f, 0, d(rng)), put_frame_sample(doc->orgn_dt, f, 1, d(rng));
    set_range(100, 2099);
    const int a = add_part();
    for (int f = 0; f < cap(a); ++f) put_wave(a, f, 0, d(rng)), put_wave(a, f, 1, d(rng));
    doc->intPart_Inf_Cnt[a] = 1;
    rec(a, 0) = {1, 1, 0, 0, 0, 0, 1500, 1500, 0, 0, 300, 300};
    st->prt_mix_flg[a] = 1;

    ASSERT_EQ(add_total_diff_part(*st, *doc), 0);
    ASSERT_EQ(doc->intPart_Cnt, 2);
    EXPECT_STREQ(doc->prt_name[1], "Total_Diff.");
    EXPECT_EQ((std::vector<int>{st->intPart_Cnt, st->prt_mix_flg[1], st->prt_disp_flg[1],
                                doc->prt_act_flg_L[1], doc->prt_act_flg_R[1], doc->intPart_Inf_Cnt[1]}),
              (std::vector<int>{2, 1, 1, 1, 1, 1}));
    const msc_prt_inf_t r = rec(1);
    EXPECT_EQ(
        (std::vector<int>{r.opn_L, r.opn_R, r.stt_ofs, r.stt_ofs_L, r.stt_ofs_R, r.data_cnt, r.data_cnt_L,
                          r.data_cnt_R, r.max_len, r.stt_orgn, r.stt_orgn_L, r.stt_orgn_R}),
        (std::vector<int>{1, 1, 0, 0, 0, 2000, 2000, 2000, 2000, 100, 100, 100}));
    make_mdfy_dt_from_each_part(*st, *doc);
    EXPECT_EQ(std::memcmp(doc->mdfy_dt + 4 * 100, doc->orgn_dt + 4 * 100, 4 * 2000), 0);
    EXPECT_EQ(get_frame_sample(doc->mdfy_dt, 99, 0), 0);  // outside the range the mix is silent
    // Without the part, the residual alone: the recording minus the part.
    st->prt_mix_flg[a] = 0;
    make_mdfy_dt_from_each_part(*st, *doc);
    for (int f = 100; f < 2100; ++f) {
        const int part = f < 300 || f >= 1800 ? 0 : wave(a, f - 300, 0);
        ASSERT_EQ(get_frame_sample(doc->mdfy_dt, f, 0),
                  static_cast<std::int16_t>(get_frame_sample(doc->orgn_dt, f, 0) - part));
    }
}

TEST_F(part_mix, NoRoomForTheResidualPartStopsTheRunWithoutIt) {
    st->part_max = 1;
    add_part();
    EXPECT_EQ(add_total_diff_part(*st, *doc), -1);
    EXPECT_EQ(st->err_stop, 1);
    EXPECT_EQ(doc->intPart_Cnt, 1);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"<alloc_temp_area_add>  Limit reached !!"}));
}

TEST_F(part_mix, TheResidualHoldsWhatAllPartsLeaveOutWhateverTheUserChangesDuringTheRun) {
    // Two tones on silence: A4 from 0.05 s on the left, E5 from 0.2 s on both channels.
    auto rec_doc = make_test_doc(22050, [](int ch, int f) {
        const double t = f / 44100.0;
        double v = ch == 0 && t >= 0.05 ? 7000.0 * std::sin(2.0 * M_PI * 440.0 * (t - 0.05)) : 0.0;
        if (t >= 0.2) v += 6000.0 * std::sin(2.0 * M_PI * 660.0 * (t - 0.2));
        return static_cast<int>(v);
    });
    CTonewarpDoc& d = *rec_doc;
    const std::size_t bytes = static_cast<std::size_t>(d.data_len());
    extr_engine_steps steps;
    // Runs the whole recording; user(state) acts after every batch.
    auto run = [&](extr_state& s, const std::function<void(extr_state&)>& user) {
        set_extr_range(s, d, 0, 22049);
        run_extraction(s, d, steps, [&](const extr_state&) { user(s); });
        ASSERT_EQ(s.err_stop, 2);
        ASSERT_GE(d.intPart_Cnt, 2);
        ASSERT_STREQ(d.prt_name[d.intPart_Cnt - 1], "Total_Diff.");
    };

    // Part_001 switched off after the last batch: left out of the mix, not
    // counted in the residual too, so switching it on gives the recording.
    auto a = std::make_unique<extr_state>();
    run(*a, [](extr_state& s) {
        if (s.extr_stat == 3) s.prt_mix_flg[0] = 0;
    });
    const int parts = d.intPart_Cnt;
    EXPECT_NE(std::memcmp(d.mdfy_dt, d.orgn_dt, bytes), 0);
    a->prt_mix_flg[0] = 1;
    make_mdfy_dt_from_each_part(*a, d);
    EXPECT_EQ(std::memcmp(d.mdfy_dt, d.orgn_dt, bytes), 0) << "the part would play twice";

    // The part limit lowered in the dialog after the command: this run keeps
    // the limit it started with, finds the same parts and still gets its
    // residual.
    auto b = std::make_unique<extr_state>();
    run(*b, [](extr_state&) { sys_param.part_max = 1; });
    sys_param.part_max = a->part_max;
    EXPECT_EQ(d.intPart_Cnt, parts);
    EXPECT_EQ(std::memcmp(d.mdfy_dt, d.orgn_dt, bytes), 0);
}

TEST_F(part_mix, FinishingSmoothsOnlyLeftChannelsAndTheEndOfRunShowsEveryPart) {
    const int a = add_part();
    add_part();
    for (int f = 0; f < 100; ++f)
        put_wave(a, f, 0, f < 50 ? -15000 : 15000), put_wave(a, f, 1, f < 50 ? -15000 : 15000);
    de_spike_parts(*st, *doc);
    EXPECT_EQ(wave(a, 50, 0), 0);
    EXPECT_EQ(wave(a, 50, 1), 15000);
    finish_extr_run(*st, *doc);
    EXPECT_EQ(
        (std::vector<int>{st->intPart_Cnt, st->prt_disp_flg[0], st->prt_disp_flg[1], st->prt_disp_flg[2]}),
        (std::vector<int>{2, 1, 1, 0}));
}

}  // namespace
