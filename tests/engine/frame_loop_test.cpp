#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "recording_steps.h"

namespace {

int tone(int f, int start, double hz) {
    return f < start ? 0 : static_cast<int>(8000.0 * std::sin(2.0 * M_PI * hz * (f - start) / 44100.0));
}

// First frame position from stt (hop 128) whose sum of |sample| over its
// 1024 samples on either channel exceeds the default minimum volume 5000.
int first_loud(const CTonewarpDoc& doc, int stt) {
    for (int p = stt; p < doc.frame_count(); p += 128) {
        for (int ch = 0; ch < 2; ++ch) {
            double vol = 0.0;
            for (int j = 0; j < 1024 && p + j < doc.frame_count(); ++j) {
                vol += std::abs(get_frame_sample(doc.orgn_dt, p + j, ch));
            }
            if (vol > 5000.0) return p;
        }
    }
    return -1;
}

class FrameLoop : public ::testing::Test {
protected:
    void SetUp() override {
        set_default_sys_param(sys_param);
        st = std::make_unique<extr_state>();
    }
    std::unique_ptr<extr_state> st;
    recording_steps steps;
};

TEST_F(FrameLoop, SilenceTakesNoDecisionAndStillEndsThroughTheFinishingSteps) {
    // A click of exactly the minimum volume is still silence.
    auto doc = make_test_doc(20000, [](int ch, int f) { return ch == 0 && f == 3000 ? 5000 : 0; });
    // Leftovers of an earlier run, all released or cleared at the start.
    ASSERT_EQ(doc->alloc_temp_area_add(4096), 0);
    doc->prt_act_flg_L[5] = doc->prt_act_flg_R[0] = 1;
    doc->prt_shift_val_R[3] = 2;
    st->intPart_Cnt = 3;
    st->prt_list_top = 2;
    drive_run(*st, *doc, steps, 0, 19999);
    EXPECT_EQ(doc->intPart_Cnt, 0);
    EXPECT_EQ(doc->h_Mem_wv_temp_dt[0], nullptr);
    EXPECT_EQ(doc->prt_act_flg_L[5] + doc->prt_act_flg_R[0] + doc->prt_shift_val_R[3], 0);
    EXPECT_EQ(st->intPart_Cnt + st->prt_list_top, 0);
    std::vector<std::string> names;
    for (const auto& c : steps.calls) names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"alloc_coef_area", "part_list_reset", "de_spike_parts",
                                               "add_total_diff_part", "free_coef_area"}));
    EXPECT_EQ(st->snd_stat, 1);
    EXPECT_EQ(st->snd_top_ptr, -1);
    EXPECT_EQ(st->hst_cnt, 16);
}

TEST_F(FrameLoop, FirstSoundIsAChangeHalfAFrameInAndItsOnsetTestAFrameIn) {
    // The spectral test is kept from firing, so every decision comes from the
    // rules of the loop itself: change at +512; while it waits, the regular
    // update (due since the run's start) at the next frame; the onset test
    // 512 after the change; then a regular update every 1024 samples.
    sys_param.sim_snd_prm = 1e300;
    auto doc = make_test_doc(30000, [](int, int f) { return tone(f, 3000, 440.0); });
    const int top = first_loud(*doc, 0);
    ASSERT_GT(top, 1000);
    drive_run(*st, *doc, steps, 0, 29999);
    EXPECT_EQ(st->snd_top_ptr, top);
    for (int ch = 1; ch <= 2; ++ch) {
        std::vector<step_call> seq;
        for (const auto& c : steps.calls) {
            if (c.chnl == ch && (c.name == "regist_new_part" || c.name == "update_already_part")) {
                seq.push_back(c);
            }
        }
        ASSERT_GE(seq.size(), 3u);
        EXPECT_EQ(seq[0].name, "update_already_part");
        EXPECT_EQ(seq[0].pos, top + 640);
        EXPECT_EQ(seq[1].name, "regist_new_part");
        EXPECT_EQ(seq[1].chg_ptr, top + 512);
        EXPECT_EQ(seq[1].pos, top + 1024);
        EXPECT_EQ(seq[1].atk_top, top);
        int expect = top + 1024;
        for (size_t i = 2; i < seq.size(); ++i) {
            expect += 1024;
            EXPECT_EQ(seq[i].name, "update_already_part");
            EXPECT_EQ(seq[i].mode, ch == 1 ? 2 : 6);
            EXPECT_EQ(seq[i].pos, expect);
            EXPECT_EQ(seq[i].atk_top, expect - 1024);
        }
        EXPECT_GE(expect + 1024, 29999 + 128);  // no update missing before the end
    }
}

TEST_F(FrameLoop, ToneAppearingLaterOnOneChannelArmsOnlyThatChannel) {
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> floor_noise(-2, 2), burst(-8000, 8000);
    std::vector<int> right(60000);
    for (int f = 0; f < 60000; ++f) right[f] = f < 30000 ? floor_noise(gen) : burst(gen);
    auto doc = make_test_doc(60000, [&](int ch, int f) { return ch == 0 ? tone(f, 2000, 523.0) : right[f]; });
    drive_run(*st, *doc, steps, 0, 59999);

    auto onsets_near = [&](int ch) {
        std::vector<step_call> out;
        for (const auto& c : steps.calls) {
            const bool onset = c.name == "regist_new_part" || (c.name == "update_already_part" && c.mode % 2);
            if (onset && c.chnl == ch && std::abs(c.chg_ptr - 30000) <= 1024) out.push_back(c);
        }
        return out;
    };
    const auto r = onsets_near(2);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].pos, r[0].chg_ptr + 512);
    EXPECT_EQ(r[0].atk_top, r[0].pos - 1024);
    EXPECT_TRUE(onsets_near(1).empty());
    // Every onset test of the run comes exactly the wait after its change.
    for (const auto& c : steps.calls) {
        if (c.name == "regist_new_part") {
            EXPECT_EQ(c.pos - c.chg_ptr, 512);
        }
    }
}

TEST_F(FrameLoop, RangeShorterThanOneHopAnalysesOneFramePerChannel) {
    auto doc = make_test_doc(5000, [](int, int f) { return tone(f, 0, 440.0); });
    st->anlz_stt_ptr = 1000;
    st->anlz_end_ptr = 1050;
    st->extr_stat = 1;
    extr_step(*st, *doc, steps);
    EXPECT_EQ(st->extr_stat, 3);
    EXPECT_EQ(st->anlz_ptr_L, 1128);
    EXPECT_EQ(st->anlz_ptr_R, 1128);
    EXPECT_EQ(st->hst_cnt, 1);
    EXPECT_EQ(st->spc_hst_L.ptr(0), 1000);
    EXPECT_EQ(st->chg_hst_R.ptr(0), 1000);
    EXPECT_EQ(st->chg_hst_R.ptr(1), 0);
}

TEST_F(FrameLoop, BatchesAdvanceTwoFramesLengthPerChannelFromTheRangeStart) {
    sys_param.sim_snd_prm = 1e300;
    auto doc = make_test_doc(30000, [](int, int f) { return tone(f, 0, 440.0); });
    st->anlz_stt_ptr = 5000;
    st->anlz_end_ptr = 20104;
    st->extr_stat = 1;
    int expect = 5000;
    while (st->extr_stat != 3) {
        extr_step(*st, *doc, steps);
        if (st->extr_stat == 1) st->extr_stat = 2;
        expect = std::min(expect + 2048, 20104);  // the end, reached exactly
        ASSERT_EQ(st->anlz_ptr_L, expect);
        ASSERT_EQ(st->anlz_ptr_R, expect);
        EXPECT_EQ(st->anlz_ptr, expect);
    }
    EXPECT_EQ(st->snd_top_ptr, 5000);
    EXPECT_EQ(st->hst_cnt, 16);
    // The newest change is the last frame against the one before it.
    const hst_ring& spc = st->spc_hst_L;
    const hst_ring& chg = st->chg_hst_L;
    EXPECT_EQ(chg.ptr(0), spc.ptr(0));
    EXPECT_EQ(chg.prv(0), spc.ptr(1));
    EXPECT_EQ(chg.ptr(15), spc.ptr(15));
    double sum = 0.0;
    for (int j = 0; j < 1024; ++j) {
        for (int k = 0; k + 1 < hst_depth; ++k) {  // every change whose two frames are both kept
            ASSERT_EQ(chg.re(k)[j], spc.re(k)[j] - spc.re(k + 1)[j]) << k;
            ASSERT_EQ(chg.im(k)[j], spc.im(k)[j] - spc.im(k + 1)[j]) << k;
            // Magnitudes above N/2 are formed on demand: the same doubles.
            ASSERT_EQ(spc.abs(k)[j], std::sqrt(spc.re(k)[j] * spc.re(k)[j] + spc.im(k)[j] * spc.im(k)[j]))
                << k;
            ASSERT_EQ(chg.abs(k)[j], std::max(0.0, spc.abs(k)[j] - spc.abs(k + 1)[j])) << k;
        }
        ASSERT_EQ(chg.abs(0)[j], std::max(0.0, spc.abs(0)[j] - spc.abs(1)[j]));
        sum += chg.abs(0)[j];
    }
    EXPECT_DOUBLE_EQ(chg.sum(0), sum);
    // Every slot still carries the window sums made when it was filled: the
    // change test then never sums the arrays itself.
    const chg_grid g = chg_grid_for(1024, st->bin_half_w);
    for (int k = 0; k < hst_depth; ++k) {
        EXPECT_TRUE(chg_wsum_valid(spc.wsum_tag(k), g)) << k;
        EXPECT_TRUE(chg_wsum_valid(chg.wsum_tag(k), g)) << k;
    }
    const auto reg = steps.of("regist_new_part");
    ASSERT_EQ(reg.size(), 2u);
    EXPECT_EQ(reg[0].pos, 6024);
    EXPECT_EQ(reg[0].atk_top, 5000);
    const size_t before = steps.calls.size();
    extr_step(*st, *doc, steps);  // state 3: finishing only
    ASSERT_EQ(steps.calls.size(), before + 3);
    EXPECT_EQ(steps.calls[before].name, "de_spike_parts");
    EXPECT_EQ(steps.calls[before + 2].name, "free_coef_area");
}

TEST_F(FrameLoop, FailingStepStopsTheBatchBeforeTheNextFrame) {
    auto doc = make_test_doc(30000, [](int, int f) { return tone(f, 0, 440.0); });
    steps.on_regist = [](extr_state& s) { s.err_stop = 1; };
    drive_run(*st, *doc, steps, 0, 29999);
    ASSERT_EQ(steps.of("regist_new_part").size(), 1u);
    EXPECT_EQ(st->anlz_ptr_L, 1024 + 128);  // the left frame finished
    EXPECT_EQ(st->anlz_ptr_R, 1024);        // the right one never started
    EXPECT_EQ(steps.calls.back().name, "free_coef_area");
}

TEST_F(FrameLoop, FramesReadZerosOutsideTheRecording) {
    auto doc = make_test_doc(3000, [](int ch, int) { return ch == 0 ? 1000 : -7; });
    std::fill_n(doc->orgn_dt + 12000, 3000, 0x55);  // the buffer's padding past the last frame
    st->frm_top = 2500;
    st->chnl_slct = 1;
    calc_frm_spc(*st, *doc);
    EXPECT_EQ(st->frm_re[499], 1000.0);
    EXPECT_EQ(st->frm_re[500], 0.0);
    EXPECT_EQ(st->spc_re[0], 500.0 * 1000.0);
    EXPECT_EQ(st->spc_done, 1);
    st->frm_top = -200;
    st->chnl_slct = 2;
    calc_frm_spc(*st, *doc);
    EXPECT_EQ(st->frm_re[199], 0.0);
    EXPECT_EQ(st->frm_re[200], -7.0);
    st->frm_top = 2000000000;
    calc_frm_spc(*st, *doc);
    EXPECT_EQ(st->spc_re[0], 0.0);
}

}  // namespace
