// The frequency analysis display as painted into the real view's image, and
// the Insert key in the program's window.
#include <gtest/gtest.h>

#include <QAction>
#include <QScrollBar>
#include <QTest>
#include <cmath>
#include <complex>

#include "app/gui/command_ids.h"
#include "app/gui/frame_menus.h"
#include "app/gui/ins_mode.h"
#include "app/gui/main_frame.h"
#include "app/gui/status_bar.h"
#include "app/gui/tonewarp_app.h"
#include "app/sys_param.h"
#include "document/le_bytes.h"
#include "tests/support/test_dir.h"
#include "view/freq_display.h"
#include "view_fixture.h"

namespace {

constexpr int N = 1024;
constexpr double kPi = 3.14159265358979323846;

QRgb pix_of(tw_colorref c) { return qrgb_of(c) & 0xFFFFFFu; }

// Alternating samples (bin 512) plus one period per frame (bin 1).
std::int16_t edges(int i) {
    return static_cast<std::int16_t>(
        std::lround((i % 2 == 0 ? 100 : -100) + 200 * std::sin(2 * kPi * i / N)));
}
// Bin 64 from frame 5000 on.
std::int16_t late_tone(int i) {
    return static_cast<std::int16_t>(i < 5000 ? 0 : std::lround(3000 * std::sin(2 * kPi * 64 * i / N)));
}
// Bin 64 throughout, twice as loud from frame 3000 on.
std::int16_t step_tone(int i) {
    return static_cast<std::int16_t>(std::lround((i < 3000 ? 300 : 600) * std::sin(2 * kPi * 64 * i / N)));
}

struct freq_image : ::testing::Test {
    std::unique_ptr<CTonewarpDoc> doc;
    std::unique_ptr<CTonewarpView> view;

    // A view in frequency mode; 1000 pixels high leaves room for all 518 rows.
    void open(int frames, std::int16_t (*left)(int), int h = 1000) {
        doc = make_doc(make_wave(frames, left));
        view = make_view(doc.get(), 1000, h);
        view->on_command(cmd::ID_DISP_MODE);
    }
    const QImage& img() const { return view->image(); }
    const view_rect& in() const { return view->layout().spc_inner; }
    // Row of bin b when the area shows its rows from bin 512 - S on.
    int row_of(int b, int S = 0) const { return in().top + 3 + (N / 2 - b) - S; }
    // Colour of bin b's magnitude for the frame starting at J, by the plain transform.
    QRgb level_of(int J, int b) const {
        std::complex<double> s = 0;
        for (int k = 0; k < N; ++k) {
            const double x = J + k < doc->frame_count() ? get_frame_sample(doc->mdfy_dt, J + k, 0) : 0.0;
            s += x * std::polar(1.0, -2 * kPi * b * k / N);
        }
        return pix_of(lvl_color(std::abs(s), 0, sys_param.set_prm1));
    }
};

TEST_F(freq_image, ATallAreaShowsBin512OnTheTopRowAndBin1AtTheBottom) {
    open(20000, edges);
    ASSERT_TRUE(view->layout().spc_tall);
    ASSERT_EQ(in().height(), 518);
    const int x = in().left + 3 + 100;  // last painted by frame 50, J = 6400
    EXPECT_EQ(px(img(), x, row_of(512)), level_of(6400, 512));
    EXPECT_EQ(px(img(), x, row_of(1)), level_of(6400, 1));
    EXPECT_NE(px(img(), x, row_of(1)), pix_of(lvl_color(0, 0, 1))) << "bin 1 is lit";
    EXPECT_EQ(row_of(1), in().bottom - 4) << "bin 0 has no row";
    EXPECT_EQ(px(img(), x, row_of(256)), 0u) << "an empty bin is black";

    // Bins 46 and 47 (1981 Hz and 2024 Hz) both carry the 2000 Hz line.
    const int line_x = in().left - 3;
    EXPECT_EQ(px(img(), line_x, row_of(47)), 0u);
    EXPECT_EQ(px(img(), line_x, row_of(46)), 0u);
    EXPECT_EQ(px(img(), line_x, row_of(48)), rgb_of(vc::lt_grey));
    EXPECT_EQ(px(img(), line_x, row_of(45)), rgb_of(vc::lt_grey));
    EXPECT_EQ(px(img(), line_x, row_of(511)), rgb_of(vc::lt_grey))
        << "no 22000 Hz label in the top two cells";
    EXPECT_EQ(px(img(), line_x, row_of(464)), 0u) << "19983 Hz says 20000";
}

TEST_F(freq_image, StripesAre16PixelsWideEvery2PixelsAt64FramesPerPixel) {
    open(10000, late_tone);
    const int y = row_of(64);
    // Frame 32 (4096 .. 5119) is the first that hears the tone; frame 78
    // (9984 ..) the last one to start before the data count.
    const int first = in().left + 3 + 2 * 32;
    const int last = in().left + 3 + 2 * 78 + 15;
    EXPECT_EQ(px(img(), first - 1, y), 0u);
    for (int x = first; x <= last; ++x) ASSERT_NE(px(img(), x, y), 0u) << "column " << x - in().left;
    EXPECT_EQ(px(img(), last + 1, y), 0u);
}

TEST_F(freq_image, WithTheDifferenceScaleTheFirstFrameIsInTheColourOf0) {
    open(8000, step_tone);
    const int y = row_of(64);
    const int x0 = in().left + 3;  // the first frame's two columns before the second frame paints over
    ASSERT_NE(px(img(), x0, y), 0u) << "the level scale shows the tone";
    QTest::keyClicks(view.get(), "Xq0Julie");
    const QRgb zero = pix_of(dif_color(0, -sys_param.set_prm1, sys_param.set_prm1));
    EXPECT_EQ(px(img(), x0, y), zero);
    EXPECT_EQ(px(img(), x0 + 1, y), zero);
    EXPECT_EQ(px(img(), x0 + 2 * 10, y), zero) << "a steady tone does not change";
    const QRgb rise = px(img(), x0 + 2 * 23, y);  // the frame holding the step
    EXPECT_GT(qRed(rise), 0);
    EXPECT_EQ(qBlue(rise), 0);
}

TEST_F(freq_image, AShortAreaScrollsItsRowsWithThePartListBar) {
    open(20000, edges, 800);
    ASSERT_FALSE(view->layout().spc_tall);
    const int h = in().height();
    ASSERT_LT(h, 518);
    QScrollBar* bar = view->part_scroll().bar;
    ASSERT_NE(bar, nullptr);
    const int x = in().left + 3 + 100;
    EXPECT_EQ(px(img(), x, row_of(512)), level_of(6400, 512)) << "unscrolled: bin 512 on top";
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    const int S = 518 - h;
    EXPECT_EQ(px(img(), x, row_of(1, S)), level_of(6400, 1)) << "scrolled to the end: bin 1 on the last row";
    EXPECT_EQ(row_of(1, S), in().bottom - 4);
    EXPECT_EQ(px(img(), x, row_of(512 - S, S)), level_of(6400, 512 - S));
}

// The program's window: the Insert key in the view switches the mode once
// and shows its text in the message pane.
TEST(freq_shell, InsertInTheViewShowsTheModeInTheMessagePane) {
    test_dir dir;
    test_app();
    auto app =
        std::make_unique<CTonewarpApp>([](doc_entry& d) -> QWidget* { return new CTonewarpView(&d.doc()); });
    ASSERT_TRUE(app->init_instance({"tonewarp"}));
    write_file_bytes("rec.wav", make_wave(3000));
    ASSERT_NE(app->doc_template().open_document_file("rec.wav"), nullptr);
    QApplication::processEvents();
    auto* view = qobject_cast<CTonewarpView*>(app->main_frame()->active_view_widget());
    ASSERT_NE(view, nullptr);
    ins_ovr_mode = 0;
    QTest::keyClick(view, Qt::Key_Insert);
    EXPECT_EQ(ins_ovr_mode, 1);
    EXPECT_EQ(app->main_frame()->panes()->pane_text(0), QString::fromUtf8("挿入"));
    QTest::keyClick(view, Qt::Key_Insert);
    EXPECT_EQ(ins_ovr_mode, 2) << "switched once per key, not again by the frame";
    EXPECT_EQ(app->main_frame()->panes()->pane_text(0), QString::fromUtf8("上書"));

    // The display-mode command reaches the view through the frame, with its menu text.
    app->main_frame()->dispatch(cmd::ID_DISP_MODE);
    EXPECT_EQ(view->disp().disp_mode, disp_mode_freq);
    EXPECT_EQ(app->main_frame()->menus().action(cmd::ID_DISP_MODE)->text(),
              QString::fromUtf8("通常表示モード(&M)"));

    app->doc_template().close_all();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    app.reset();
}

}  // namespace
