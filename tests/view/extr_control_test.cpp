// Extraction control without a window: the range, the commands, the timer
// tick's order and the progress bar's geometry, over the real engine (a
// short generated recording) or a recording double of its steps.
#include "view/extr_control.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "engine/extr_engine_steps.h"
#include "engine/extr_run.h"
#include "tests/engine/recording_steps.h"
#include "tests/support/test_dir.h"

namespace {

// Records what control asks of its window, one word per call.
struct fake_host final : extr_host {
    std::string log;
    std::string messages;
    std::string texts[3];  // by extr_item
    bool active = true;

    void show_message(const char* t) override { messages += std::string(t) + "|"; }
    void set_item_text(extr_item i, const char* t) override { texts[static_cast<int>(i)] = t; }
    void hide_start_scroll() override { log += "hide "; }
    bool timer_active() override { return active; }
    void stop_timer() override { log += "stop ", active = false; }
    void start_timer() override { log += "start ", active = true; }
    void repaint_progress() override { log += "progress "; }
    void redraw_values() override { log += "values "; }
    void redraw_frame_and_values() override { log += "frame "; }
    void part_list_reset() override { log += "reset "; }
    void end_of_run_layout() override { log += "layout "; }
    void playback_step() override { log += "play "; }
};

// Two tones on silence: A4 from 0.05 s on the left, E5 from 0.2 s on both channels.
int two_tones(int ch, int f) {
    const double t = f / 44100.0;
    double v = 0.0;
    if (ch == 0 && t >= 0.05) v += 7000.0 * std::sin(2.0 * M_PI * 440.0 * (t - 0.05));
    if (t >= 0.2) v += 6000.0 * std::sin(2.0 * M_PI * 660.0 * (t - 0.2));
    return static_cast<int>(v);
}

class extr_control_test : public in_test_dir {
   protected:
    void SetUp() override {
        set_default_sys_param(sys_param);
        doc = make_test_doc(frames, two_tones);
        st.data_cnt = frames;
        st.cw = 8;
        st.ch = 18;
    }
    void click_at(int smpl) { st.clk_mark = {1, 200, smpl, smpl / 44100.0}; }
    // Ticks until the run is idle again; returns the ticks it took.
    int run_to_end(extr_control& c, int limit = 1000) {
        int n = 0;
        while (ex->extr_stat != 0 && n < limit) {
            c.on_timer();
            ++n;
        }
        return n;
    }
    const char* text(extr_item i) const { return host.texts[static_cast<int>(i)].c_str(); }

    static constexpr int frames = 22050;  // 0.5 s
    std::unique_ptr<CTonewarpDoc> doc;
    view_disp_state st;
    std::unique_ptr<extr_state> ex = std::make_unique<extr_state>();
    fake_host host;
};

TEST_F(extr_control_test, TheRangeRunsFromTheMarksOrTheRecordingsEndsAndStaysInsideIt) {
    auto range = [&](pos_mark stt, pos_mark end, CTonewarpDoc* d = nullptr) {
        st.stt_mark = stt;
        st.end_mark = end;
        calc_ext_range(st, *ex, d);
        return std::to_string(ex->anlz_stt_ptr) + ".." + std::to_string(ex->anlz_end_ptr) + "/" +
               std::to_string(ex->anlz_len);
    };
    EXPECT_EQ(range({}, {}, doc.get()), "0..22049/22050");
    EXPECT_EQ(doc->extr_stt_ptr + doc->extr_end_ptr + doc->extr_dt_cnt, 0 + 22049 + 22050);
    EXPECT_EQ(range({1, 0, 1000, 0.0}, {}), "1000..22049/21050");
    EXPECT_EQ(range({}, {1, 0, 4999, 0.0}), "0..4999/5000");
    // Marks outside the recording (a click right of its end) are pulled back into it.
    EXPECT_EQ(range({1, 0, 20000, 0.0}, {1, 0, 90000, 0.0}), "20000..22049/2050");
    EXPECT_EQ(range({1, 0, -5, 0.0}, {}), "0..22049/22050");
    st.data_cnt = 0;  // nothing at all: an empty range
    EXPECT_EQ(range({1, 0, 7, 0.0}, {}), "0..-1/0");
}

TEST_F(extr_control_test, TheProgressBarGrowsWithTheAnalysisAndShowsItsPercentageOnceWideEnough) {
    disp_layout lay;
    lay.L0 = 108;
    lay.R0 = 1172;  // 1063 pixels of bar at most
    lay.scroll_line = {108, 225, 1172, 261};
    ex->anlz_stt_ptr = 1000;
    ex->anlz_len = 10000;
    ex->anlz_ptr = 1000 + 2500;
    progress_look p = calc_progress(lay, st, *ex);
    EXPECT_EQ(p.back_x1, 109);
    EXPECT_EQ(p.back_x2, 1170);
    EXPECT_EQ(p.y1, 226);
    EXPECT_EQ(p.y2, 259);
    ASSERT_TRUE(p.bar);
    EXPECT_EQ(p.bar_x2, 109 + 1063 * 2500 / 10000);
    ASSERT_TRUE(p.pct_shown);
    EXPECT_STREQ(p.pct_text, " 25.000％");
    EXPECT_EQ(p.col, 109 / 8 + 1);
    EXPECT_EQ(p.row, 226 / 18 + 1);

    ex->anlz_ptr = 1000 + 677;  // 71 pixels: below 9 cells, no text
    p = calc_progress(lay, st, *ex);
    EXPECT_EQ(p.bar_x2, 109 + 71);
    EXPECT_FALSE(p.pct_shown);
    ex->anlz_ptr = 1000 + 678;  // 72 pixels
    EXPECT_TRUE(calc_progress(lay, st, *ex).pct_shown);

    // The last batch passes the range end: the bar stays inside the background.
    ex->anlz_ptr = 1000 + 10100;
    p = calc_progress(lay, st, *ex);
    EXPECT_EQ(p.bar_x2, 1170);
    EXPECT_STREQ(p.pct_text, "101.000％");

    // A long recording: 1063 x 1.5e9 passes 2^31 in the product.
    ex->anlz_stt_ptr = 0;
    ex->anlz_len = 2000000000;
    ex->anlz_ptr = 1500000000;
    p = calc_progress(lay, st, *ex);
    EXPECT_EQ(p.bar_x2, 109 + 797);
    EXPECT_STREQ(p.pct_text, " 75.000％");

    ex->anlz_len = 0;  // no division by an empty range: only the background
    p = calc_progress(lay, st, *ex);
    EXPECT_FALSE(p.bar);
    EXPECT_FALSE(p.pct_shown);
}

TEST_F(extr_control_test, EqualOrCrossedMarksRefuseTheRunAndLeaveEverythingIdle) {
    extr_control c(st, *ex, doc.get(), host, std::make_unique<recording_steps>());
    st.stt_mark = {1, 0, 5000, 0.0};
    st.end_mark = {1, 0, 5000, 0.0};
    c.on_extract();
    st.end_mark.smpl = 4000;
    c.on_extract();
    // Both past the last frame: different marks, but a range of one frame.
    st.stt_mark.smpl = 30000;
    st.end_mark.smpl = 40000;
    c.on_extract();
    EXPECT_EQ(host.messages,
              "抽出範囲の指定が不正です!!　|抽出範囲の指定が不正です!!　|抽出範囲の指定が不正です!!　|");
    EXPECT_EQ(ex->extr_stat, 0);
    EXPECT_EQ(host.log, "");
    EXPECT_FALSE(doc_run_active(doc.get()));
}

TEST_F(extr_control_test, ARunStepsUnderTheTimerThenFinishesWithThePartsAndTheMixInTheWorkingCopy) {
    extr_control c(st, *ex, doc.get(), host);
    std::memset(doc->mdfy_dt, 0x55, static_cast<std::size_t>(doc->data_len()));
    c.on_extract();
    EXPECT_EQ(ex->extr_stat, 2);
    EXPECT_EQ(ex->err_stop, 2);
    EXPECT_STREQ(text(extr_item::extract), "抽出処理の中断(&X)");
    EXPECT_EQ(host.log, "hide reset ") << "the drawing-start bar goes, the part list goes to the top";
    EXPECT_EQ(ex->anlz_ptr, 2048) << "the command runs the first batch of 2N samples";
    EXPECT_TRUE(doc_run_active(doc.get()));

    // Marks cannot change during a run; the range stays.
    click_at(1234);
    c.on_mark(ext_mark_kind::start);
    c.on_mark(ext_mark_kind::end);
    EXPECT_EQ(st.stt_mark.set + st.end_mark.set, 0);
    EXPECT_EQ(host.texts[1] + host.texts[2], "");
    EXPECT_EQ(host.messages, "");

    host.log.clear();
    c.on_timer();  // tick 1: a batch and the progress bar
    c.on_timer();  // tick 2: a batch only
    EXPECT_EQ(host.log, "stop progress start play stop start play ");
    EXPECT_EQ(ex->anlz_ptr, 3 * 2048);
    host.log.clear();
    const int ticks = run_to_end(c);
    // 22050 frames in batches of 2048: 11 batches in all, the last one reaching the end, then the
    // finishing tick.
    EXPECT_EQ(ticks, 11 - 3 + 1);
    EXPECT_EQ(host.log,
              "stop start play stop start play stop progress start play "  // ticks 3 to 5
              "stop start play stop start play stop start play "           // ticks 6 to 8
              "stop progress start play stop layout start play "           // 9, and 10 reaching the end
              "layout frame play ");                                       // 11 finishes
    EXPECT_STREQ(text(extr_item::extract), "音源パートの抽出(&X)");
    EXPECT_EQ(c.tick_cnt(), 2 + ticks);
    EXPECT_FALSE(doc_run_active(doc.get()));
    EXPECT_EQ(doc->dblCoefMatrix, nullptr) << "the solver's areas are given back";

    // Two tones make parts; the last is the residual, and every part is shown expanded.
    ASSERT_GE(doc->intPart_Cnt, 2);
    EXPECT_EQ(ex->intPart_Cnt, doc->intPart_Cnt);
    EXPECT_STREQ(doc->prt_name[doc->intPart_Cnt - 1], "Total_Diff.");
    EXPECT_STREQ(doc->prt_name[0], "Part_001");
    for (int p = 0; p < doc->intPart_Cnt; ++p) EXPECT_EQ(ex->prt_disp_flg[p], 1) << p;
    // With the residual in the mix, the parts add up to the recording again.
    EXPECT_EQ(std::memcmp(doc->mdfy_dt, doc->orgn_dt, static_cast<std::size_t>(doc->data_len())), 0);
}

TEST_F(extr_control_test, AFailedStepEndsTheRunAtTheTickThatSeesItWithoutAProgressRepaint) {
    auto steps = std::make_unique<recording_steps>();
    recording_steps& rec = *steps;
    extr_control c(st, *ex, doc.get(), host, std::move(steps));
    c.on_extract();
    for (int i = 0; i < 4; ++i) c.on_timer();
    ex->err_stop = 1;  // a step of the engine failed
    host.log.clear();
    c.on_timer();  // tick 5 sees it: no batch, no progress bar, the run is finishing
    c.on_timer();  // tick 6 finishes it
    EXPECT_EQ(host.log, "stop start play layout frame play ");
    EXPECT_EQ(ex->extr_stat, 0);
    EXPECT_EQ(rec.calls.back().name, "free_coef_area");
}

TEST_F(extr_control_test, ARangeTheFirstBatchCoversFinishesAtTheFirstTickWithoutAnalysingPastItsEnd) {
    auto steps = std::make_unique<recording_steps>();
    recording_steps& rec = *steps;
    extr_control c(st, *ex, doc.get(), host, std::move(steps));
    st.stt_mark = {1, 0, 100, 0.0};
    st.end_mark = {1, 0, 400, 0.0};  // shorter than one batch of 2N
    c.on_extract();
    EXPECT_EQ(ex->extr_stat, 3);
    EXPECT_EQ(ex->anlz_ptr_L, 100 + 3 * 128);
    EXPECT_EQ(host.log, "hide layout ");
    c.on_timer();
    EXPECT_EQ(ex->anlz_ptr_L, 100 + 3 * 128);
    EXPECT_EQ(ex->extr_stat, 0);
    EXPECT_EQ(rec.calls.back().name, "free_coef_area");
}

TEST_F(extr_control_test, TheWindowAndTheCommandLineToolFindTheSamePartsOverShortAndLongRanges) {
    for (const int len : {1, 100, 2048, 2049, 2050, 5000}) {
        SCOPED_TRACE("a range of " + std::to_string(len) + " frames");
        // The range ends with the recording, where both tones sound.
        const int first = frames - len;

        // The window's way: the start mark, the command, ticks until idle.
        auto win_doc = make_test_doc(frames, two_tones);
        auto win_ex = std::make_unique<extr_state>();
        view_disp_state win_st = st;
        win_st.stt_mark = {1, 0, first, first / 44100.0};
        fake_host win_host;
        {
            extr_control c(win_st, *win_ex, win_doc.get(), win_host);
            c.on_extract();
            ASSERT_EQ(win_ex->anlz_len, len);
            for (int i = 0; i < 100 && win_ex->extr_stat != 0; ++i) c.on_timer();
        }
        // The command-line tool's way.
        auto cli_doc = make_test_doc(frames, two_tones);
        auto cli_ex = std::make_unique<extr_state>();
        extr_engine_steps steps;
        set_extr_range(*cli_ex, *cli_doc, first, frames - 1);
        run_extraction(*cli_ex, *cli_doc, steps);

        ASSERT_EQ(win_ex->extr_stat + cli_ex->extr_stat, 0);
        ASSERT_EQ(win_doc->intPart_Cnt, cli_doc->intPart_Cnt);
        for (int p = 0; p < cli_doc->intPart_Cnt; ++p) {
            SCOPED_TRACE("part " + std::to_string(p + 1));
            EXPECT_STREQ(win_doc->prt_name[p], cli_doc->prt_name[p]);
            ASSERT_EQ(win_doc->intPart_Inf_Cnt[p], cli_doc->intPart_Inf_Cnt[p]);
            EXPECT_EQ(std::memcmp(win_doc->h_Mem_msc_prt_inf[p], cli_doc->h_Mem_msc_prt_inf[p],
                                  sizeof(msc_prt_inf_t) * static_cast<std::size_t>(cli_doc->intPart_Inf_Cnt[p])),
                      0)
                << "records";
            ASSERT_EQ(win_doc->wv_temp_dt_size[p], cli_doc->wv_temp_dt_size[p]);
            EXPECT_EQ(std::memcmp(win_doc->h_Mem_wv_temp_dt[p], cli_doc->h_Mem_wv_temp_dt[p],
                                  static_cast<std::size_t>(cli_doc->wv_temp_dt_size[p])),
                      0)
                << "waveform";
        }
    }
}

TEST_F(extr_control_test, ASecondViewOfTheDocumentIsRefusedWhileTheFirstOneExtracts) {
    auto ex2 = std::make_unique<extr_state>();
    view_disp_state st2 = st;
    fake_host host2;
    {
        extr_control first(st, *ex, doc.get(), host);
        extr_control second(st2, *ex2, doc.get(), host2);
        first.on_extract();
        second.on_extract();
        EXPECT_EQ(host2.messages, std::string(msg_doc_busy) + "|");
        EXPECT_EQ(ex2->extr_stat, 0);
        EXPECT_EQ(host2.log, "");
        run_to_end(first);
        second.on_extract();  // free again
        EXPECT_EQ(ex2->extr_stat, 2);
        second.on_timer();
        // The second view's window closes in the middle of its run.
    }
    EXPECT_FALSE(doc_run_active(doc.get()));
    EXPECT_EQ(doc->dblCoefMatrix, nullptr) << "a run cut short by its window gives back the solver's areas";
    extr_control third(st, *ex, doc.get(), host);
    third.on_extract();
    EXPECT_EQ(ex->extr_stat, 2);
}

}  // namespace
