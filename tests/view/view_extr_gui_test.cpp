// Extraction from the menu in the program's windows: the run under timer 1
// with its progress bar, the abort, the mark commands and their refusals,
// and the stop button's look. Headless (offscreen platform); the recording
// is made by sox in the test's own directory.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTest>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/gui/child_frame.h"
#include "app/gui/command_ids.h"
#include "app/gui/frame_menus.h"
#include "app/gui/main_frame.h"
#include "app/gui/tonewarp_app.h"
#include "tests/support/test_dir.h"
#include "view/view_control.h"
#include "view_fixture.h"

namespace {

using namespace cmd;

bool run_sox(const std::string& args) { return std::system(("sox " + args + " 2>/dev/null").c_str()) == 0; }

struct view_extr : in_test_dir {
    std::unique_ptr<CTonewarpApp> app;
    CTonewarpView* view = nullptr;
    recording_presenter messages;

    void SetUp() override {
        test_app();
        if (!run_sox("-n -r 44100 -b 16 -c 2 a.wav synth 1.0 pluck 220 vol 0.7") ||
            !run_sox("-n -r 44100 -b 16 -c 2 b.wav synth 0.6 square 660 vol 0.2 pad 0.4 0") ||
            !run_sox("-m a.wav b.wav rec.wav")) {
            GTEST_SKIP() << "sox could not make the recording";
        }
        app = std::make_unique<CTonewarpApp>(
            [](doc_entry& d) -> QWidget* { return new CTonewarpView(&d.doc()); });
        ASSERT_TRUE(app->init_instance({"tonewarp"}));
        app->main_frame()->resize(1300, 1000);
        ASSERT_NE(app->doc_template().open_document_file("rec.wav"), nullptr);
        QApplication::processEvents();
        app->main_frame()->active_child()->showMaximized();
        QApplication::processEvents();
        view = qobject_cast<CTonewarpView*>(app->main_frame()->active_view_widget());
        ASSERT_NE(view, nullptr);
        view->repaint();
        ASSERT_TRUE(view->initialised());
    }
    void TearDown() override {
        if (app && app->main_frame() != nullptr) app->doc_template().close_all();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        app.reset();
    }
    void command(int id) { app->main_frame()->dispatch(id); }
    QString text(int id) const { return app->main_frame()->menus().action(id)->text(); }
    extr_state& ex() { return view->extr(); }
    // Lets timer 1 run until pred holds (or about ten seconds passed).
    template <class F>
    bool wait_for(F pred) {
        for (int i = 0; i < 1000 && !pred(); ++i) QTest::qWait(10);
        return pred();
    }
    QRgb at(int x, int y) const { return px(view->image(), x, y); }
    void click_wave(int x) {
        view->disp().clk_mark = {1, x, static_cast<int>((x - view->layout().L0) * view->disp().smpl_per_pix),
                                 0.0};
    }
};

TEST_F(view_extr, ExtractionFromTheMenuRunsUnderTheTimerWithTheProgressBarThenShowsThePartLanes) {
    const disp_layout& lay = view->layout();
    ASSERT_EQ(view->disp().data_cnt, 44100);
    const QString drawn_stt = text(ID_EXTRACT);
    const int t0 = view->control().extr().tick_cnt();
    command(ID_EXTRACT);
    EXPECT_EQ(ex().extr_stat, 2);
    EXPECT_EQ(text(ID_EXTRACT), QString::fromUtf8("抽出処理の中断(&X)"));
    EXPECT_FALSE(view->start_scroll().bar->isVisible()) << "no drawing-start bar during a run";

    // Ticks 1, 5, 9, ... repaint the scroll line: green up to the analysis position, black after it.
    ASSERT_TRUE(wait_for([&] { return view->control().extr().tick_cnt() >= t0 + 5; }));
    ASSERT_EQ(ex().extr_stat, 2) << "the recording is long enough to watch the bar";
    const int y = lay.scroll_line.top + 2;
    EXPECT_EQ(at(lay.L0 + 1, y), rgb_of(vc::pressed));
    EXPECT_EQ(at(lay.R0 - 2, y), rgb_of(vc::black));
    EXPECT_EQ(at(lay.R0 - 1, y), rgb_of(vc::dark)) << "the box around the bar stays";
    // A change of display mode repaints the frame over the bar, which comes back at once, not at a later tick.
    for (const char* mode : {"frequency", "normal"}) {
        command(ID_DISP_MODE);
        EXPECT_EQ(at(lay.L0 + 1, y), rgb_of(vc::pressed)) << mode;
        EXPECT_EQ(at(lay.R0 - 2, y), rgb_of(vc::black)) << mode;
    }

    ASSERT_TRUE(wait_for([&] { return ex().extr_stat == 0; }));
    EXPECT_EQ(text(ID_EXTRACT), drawn_stt);
    const CTonewarpDoc& doc = *view->GetDocument();
    ASSERT_GE(doc.intPart_Cnt, 2);
    EXPECT_EQ(ex().intPart_Cnt, doc.intPart_Cnt);
    // The copy's title box turns blue ("各ﾊﾟｰﾄのMix"), the first part's lane is there, and both bars are
    // back.
    EXPECT_EQ(at(lay.copy_area.left + 2, lay.copy_area.top + 2), rgb_of(vc::mix_title));
    const view_rect& pane = lay.prt_pane_L[0];
    ASSERT_GT(pane.height(), 0) << "parts are listed expanded";
    EXPECT_EQ(at(lay.prt_outer[0].left + 2, lay.prt_outer[0].top + 2), rgb_of(vc::title));
    ASSERT_NE(view->part_scroll().bar, nullptr);
    EXPECT_TRUE(view->part_scroll().bar->isVisible());
    EXPECT_TRUE(view->start_scroll().bar->isVisible());
    EXPECT_EQ(view->timer_active(), 1);
    // With the residual part in the mix, the working copy holds the recording again.
    EXPECT_EQ(std::memcmp(doc.mdfy_dt, doc.orgn_dt, static_cast<std::size_t>(doc.data_len())), 0);
}

TEST_F(view_extr, AbortEndsTheRunAtTheNextTickWithThePartsFoundSoFar) {
    command(ID_EXTRACT);
    ASSERT_TRUE(wait_for([&] { return view->GetDocument()->intPart_Cnt >= 1; }));
    ASSERT_EQ(ex().extr_stat, 2);
    command(ID_EXTRACT);
    EXPECT_EQ(ex().extr_stat, 3);
    EXPECT_EQ(text(ID_EXTRACT), QString::fromUtf8("音源パートの抽出(&X)")) << "at once";
    command(ID_EXTRACT);  // a second command while finishing does nothing
    EXPECT_EQ(ex().extr_stat, 3);
    const int reached = ex().anlz_ptr;
    ASSERT_TRUE(wait_for([&] { return ex().extr_stat == 0; }));
    EXPECT_EQ(ex().anlz_ptr, reached);
    EXPECT_LT(reached, ex().anlz_end_ptr);
    const CTonewarpDoc& doc = *view->GetDocument();
    EXPECT_STREQ(doc.prt_name[doc.intPart_Cnt - 1], "Total_Diff.");
    EXPECT_TRUE(view->start_scroll().bar->isVisible());
}

TEST_F(view_extr, MarkCommandsSetAndClearMarksRefuseWithoutAClickAndDoNothingDuringARun) {
    command(ID_EXT_START);
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Wave表示領域でのクリック位置が未指定です!!　");
    EXPECT_EQ(messages.captions[0], "確認");

    const disp_layout& lay = view->layout();
    click_wave(lay.L0 + 100);
    command(ID_EXT_START);
    command(ID_EXT_END);  // the same click: equal marks
    EXPECT_EQ(text(ID_EXT_START), QString::fromUtf8("抽出開始位置の解除(&S)"));
    EXPECT_EQ(text(ID_EXT_END), QString::fromUtf8("抽出終了位置の解除(&E)"));
    // The start mark is drawn in the original's panes (its second column: the click cursor is on the first).
    EXPECT_EQ(at(view->disp().stt_mark.x + 1, lay.orgn_pane_L.top + 5), rgb_of(vc::ext_mark));
    command(ID_EXTRACT);
    ASSERT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(messages.texts[1], "抽出範囲の指定が不正です!!　");
    EXPECT_EQ(ex().extr_stat, 0);

    command(ID_EXT_END);  // cleared: the range runs from the start mark to the end
    EXPECT_EQ(text(ID_EXT_END), QString::fromUtf8("抽出終了位置の設定(&E)"));
    EXPECT_EQ(view->GetDocument()->extr_stt_ptr, 6400);
    EXPECT_EQ(view->GetDocument()->extr_end_ptr, 44099);
    command(ID_EXTRACT);
    ASSERT_EQ(ex().extr_stat, 2);
    click_wave(lay.L0 + 300);
    command(ID_EXT_START);
    command(ID_EXT_END);
    EXPECT_EQ(view->disp().stt_mark.smpl, 6400);
    EXPECT_EQ(view->disp().end_mark.set, 0);
    EXPECT_EQ(text(ID_EXT_START), QString::fromUtf8("抽出開始位置の解除(&S)"));
    EXPECT_EQ(text(ID_EXT_END), QString::fromUtf8("抽出終了位置の設定(&E)"));
    EXPECT_EQ(messages.texts.size(), 2u);
}

TEST_F(view_extr, StopWhileStoppedShowsItsButtonPressedUntilTheNextTick) {
    const view_rect& b = view->layout().play_btn[play_btn_stop];
    const QPoint centre((b.left + b.right) / 2, (b.top + b.bottom) / 2);
    view->set_timer1(false);  // the test plays the ticks
    QTest::mouseClick(view, Qt::LeftButton, {}, centre);
    EXPECT_EQ(view->control().playback().btn_redraw_flg(), 1);
    EXPECT_EQ(at(b.left + 3, b.top + 3), rgb_of(vc::pressed));
    view->on_timer_tick();
    EXPECT_EQ(at(b.left + 3, b.top + 3), rgb_of(vc::lt_grey));
    // Pause while stopped only repaints the buttons.
    const view_rect& pause = view->layout().play_btn[play_btn_pause];
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(pause.left + 5, pause.top + 5));
    EXPECT_EQ(view->control().playback().pause_flg(), 2);
    EXPECT_EQ(at(pause.left + 3, pause.top + 3), rgb_of(vc::lt_grey));
}

TEST_F(view_extr, LeavingTheProgramDuringARunWithAClosedWindowAwaitingDeletionIsSafe) {
    command(ID_EXTRACT);
    command(ID_WINDOW_NEW);
    QApplication::processEvents();
    ASSERT_EQ(app->doc_template().documents().front()->frames().size(), 2);
    ASSERT_EQ(view->extr().extr_stat, 2);
    // The running view's window is closed; its deletion waits for the event loop.
    CChildFrame* running = app->doc_template().documents().front()->frames().front();
    ASSERT_EQ(running->view(), view);
    running->close();
    app->main_frame()->dispatch(ID_APP_EXIT);
    std::filesystem::remove("Tonewarp.Inf");
    app.reset();  // before the event loop runs again, as at the end of main()
    EXPECT_EQ(std::filesystem::file_size("Tonewarp.Inf"), 240u);
}

}  // namespace
