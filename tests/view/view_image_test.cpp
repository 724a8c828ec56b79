#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QScrollBar>
#include <cmath>

#include "view/back_frame.h"
#include "view/marks.h"
#include "view/wave_columns.h"
#include "view/wave_paint.h"
#include "app/sys_param.h"
#include "view_fixture.h"

namespace {

constexpr int kW = 960;
constexpr int kH = 720;

std::string silent_wave(int frames) { return make_wave(frames); }

// Counts pixels of colour c inside rectangle r of the image.
int count_in(const QImage& img, const view_rect& r, rgb c) {
    int n = 0;
    for (int y = std::max(r.top, 0); y < std::min(r.bottom, img.height()); ++y)
        for (int x = std::max(r.left, 0); x < std::min(r.right, img.width()); ++x)
            n += px(img, x, y) == rgb_of(c);
    return n;
}

// Renders text the way a view label is drawn, on a blank copy of the image,
// and compares the label's cells with the view's image.
bool label_matches(CTonewarpView& v, int col, int row, const char* text, rgb fg, rgb bg) {
    QImage ref(v.image().size(), QImage::Format_RGB32);
    ref.fill(Qt::black);
    {
        draw_ctx dc(ref, v.disp_font(), v.disp().cw, v.disp().ch);
        draw_label(&dc, col, row, text, fg, bg);
    }
    const QFontMetrics fm(v.disp_font());
    const int x0 = col * v.disp().cw;
    const int y0 = row * v.disp().ch + v.disp().ch / 20;
    const int w = fm.horizontalAdvance(QString::fromUtf8(text));
    for (int y = y0; y < y0 + fm.height(); ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (px(ref, x, y) != px(v.image(), x, y)) return false;
    return true;
}

struct view_image : ::testing::Test {
    std::unique_ptr<CTonewarpDoc> doc;
    std::unique_ptr<CTonewarpView> view;
    recording_presenter messages;

    void open(const std::string& wave) {
        doc = make_doc(wave);
        view = make_view(doc.get(), kW, kH);
    }
    const QImage& img() const { return view->image(); }
    const disp_layout& lay() const { return view->layout(); }
    const view_disp_state& st() const { return view->disp(); }
};

TEST_F(view_image, TheCharacterCellIsAsTallAsTheFontSizeAndTheFaceFitsInIt) {
    open(silent_wave(100));
    EXPECT_EQ(st().cw, 6) << "the default font, 12";
    EXPECT_EQ(st().ch, 12);
    for (int size = 8; size <= 30; ++size) {
        disp_font_size = size;
        auto v = make_view(doc.get(), 400, 300);
        const QFontMetrics fm(v->disp_font());
        EXPECT_EQ(v->disp().ch, size);
        EXPECT_LE(fm.ascent() + fm.descent(), size);
        EXPECT_GE(fm.ascent() + fm.descent(), size - 1) << "the largest face that fits";
    }
    disp_font_size = 12;
}

TEST_F(view_image, TheFirstPaintSetsUpCellDataCountScrollBarAndTimer) {
    open(silent_wave(44100));
    ASSERT_TRUE(view->initialised());
    EXPECT_EQ(st().data_cnt, 44100);
    EXPECT_EQ(st().W, kW);
    EXPECT_NEAR(st().ruler_dens, 44100.0 / 64 / 100 / st().cw, 1e-9);
    EXPECT_EQ(img().size(), QSize(kW, kH));
    EXPECT_EQ(view->timer_active(), 1);
    ASSERT_NE(view->snd(), nullptr);

    QScrollBar* bar = view->start_scroll().bar;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->objectName(), "112");
    EXPECT_EQ(bar->orientation(), Qt::Horizontal);
    EXPECT_EQ(bar->maximum(), 10000);
    EXPECT_TRUE(bar->isVisible());
    const view_rect& sl = lay().scroll_line;
    EXPECT_EQ(bar->geometry(), QRect(sl.left, sl.top, sl.width(), sl.height()));
    EXPECT_EQ(view->part_scroll().bar, nullptr) << "the part-list bar waits for parts";
}

TEST_F(view_image, BoxesAndPanesHaveTheirColoursAtTheirLayoutPositions) {
    open(silent_wave(2000));
    const int cw = st().cw, ch = st().ch, hw = st().hw, hh = st().hh;
    EXPECT_EQ(px(img(), 1, 1), rgb_of(vc::back));
    EXPECT_EQ(px(img(), lay().zoom_in_btn.left + 4, lay().zoom_in_btn.top + 4), rgb_of(vc::zoom_btn));
    EXPECT_EQ(px(img(), hw + 2, hh + 2 * ch + 2), rgb_of(vc::title)) << "オリジナル";
    EXPECT_EQ(px(img(), hw + 2, hh + 4 * ch + 2), rgb_of(vc::under_title));
    EXPECT_EQ(px(img(), hw + 2, hh + 12 * ch + 2), rgb_of(vc::play_panel));
    EXPECT_EQ(px(img(), st().W - hw - 2 * cw, hh + 4 * ch + 2), rgb_of(vc::column));
    const view_rect& pl = lay().orgn_pane_L;
    EXPECT_EQ(px(img(), pl.left - 10 * cw + 2, pl.top + 2), rgb_of(vc::chnl_lbl));
    EXPECT_EQ(px(img(), pl.left - 4 * cw + 2, pl.top + 2), rgb_of(vc::column));
    EXPECT_EQ(px(img(), pl.left + 5, pl.top + 5), rgb_of(vc::pane));
    EXPECT_EQ(px(img(), pl.left + 2, pl.top - 2 * ch + 2), rgb_of(vc::lt_grey)) << "ruler box";
    // The restore button: one yellow cell at the border of the two channel rows.
    EXPECT_EQ(px(img(), pl.left - 7 * cw - hw + 2, pl.bottom - hh + 2), rgb_of(vc::restore_btn));
    // A silent recording draws its waveform on the middle row, in yellow.
    EXPECT_EQ(px(img(), pl.left + 10, pl.top + pl.height() / 2), rgb_of(vc::wave));
    EXPECT_EQ(px(img(), pl.left + 10, pl.top + pl.height() / 2 - 3), rgb_of(vc::pane));
    // Without parts the lower area is the background.
    EXPECT_EQ(px(img(), lay().L0 + 10, lay().lower_top + 20), rgb_of(vc::back));
    // The ruler: a blue long tick under the first label, "0:00.00" beside it.
    const int y0 = pl.top - 2 * ch + 1;
    EXPECT_EQ(px(img(), pl.left + 1, y0 + ch), rgb_of(vc::tick));
    EXPECT_EQ(px(img(), pl.left + 2, y0 + ch), rgb_of(vc::lt_grey));
    EXPECT_TRUE(
        label_matches(*view, (pl.left + 1) / cw + 1, (hh + y0) / ch, "0:00.00", vc::black, vc::lt_grey));
}

TEST_F(view_image, TheCopyTitleTurnsFromTheCopyOnVioletToTheMixOnBlueOnceThereAreParts) {
    open(silent_wave(2000));
    const int hw = st().hw, hh = st().hh, ch = st().ch, cw = st().cw;
    const int row = (hh + 14 * ch + hh + 1) / ch;
    EXPECT_EQ(px(img(), hw + 2, hh + 14 * ch + 2), rgb_of(vc::title));
    EXPECT_TRUE(label_matches(*view, (2 * hw + 1) / cw, row, "ｵﾘｼﾞﾅﾙのｺﾋﾟｰ", vc::white, vc::title));
    view->create_part_scroll();
    QScrollBar* bar = view->part_scroll().bar;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->objectName(), "111");
    EXPECT_EQ(bar->orientation(), Qt::Vertical);
    full_repaint(*view);
    EXPECT_FALSE(bar->isVisible()) << "no parts, normal mode: the bar stays hidden";

    add_part(*doc, *view, 2000, 1000, 1000, {{0, 1999}});
    full_repaint(*view);
    EXPECT_EQ(px(img(), hw + 2, hh + 14 * ch + 2), rgb_of(vc::mix_title));
    EXPECT_TRUE(label_matches(*view, (cw + 2 * hw + 1) / cw, row, "各ﾊﾟｰﾄのMix", vc::white, vc::mix_title));
    // The part's row: title with its name, panes, and the part-list bar in its place.
    const view_rect& o = lay().prt_outer[0];
    EXPECT_TRUE(label_matches(*view, (o.left + cw + hw + 1) / cw, (o.top + hh + 1) / ch, "Part_001",
                              vc::white, vc::title));
    EXPECT_EQ(px(img(), lay().prt_pane_L[0].left + 5, lay().prt_pane_L[0].top + 3), rgb_of(vc::pane));
    EXPECT_TRUE(bar->isVisible());
    const view_rect& r = lay().prt_scroll;
    EXPECT_EQ(bar->geometry(), QRect(r.left, r.top, r.width(), r.height()));
}

TEST_F(view_image, ThePartLaneLeavesColumnsEmptyWhereNoRecordCoversThem) {
    // 64 frames per pixel: frames 6400 .. 12799 sound, the rest of the part is silent.
    open(silent_wave(44100));
    add_part(*doc, *view, 44100, 20000, -20000, {{6400, 6399}});
    full_repaint(*view);
    const view_rect& pl = lay().prt_pane_L[0];
    const view_rect& pr = lay().prt_pane_R[0];
    auto column = [&](const view_rect& p, int i) {
        return view_rect{p.left + i + 1, p.top + 3, p.left + i + 2, p.bottom - 3};
    };
    // Columns 100 .. 199 start inside the record; the last one reaches its end.
    for (int i : {100, 199}) EXPECT_GT(count_in(img(), column(pl, i), vc::part_wave), 0) << i;
    for (int i : {1, 99, 200, 300}) {
        EXPECT_EQ(count_in(img(), column(pl, i), vc::part_wave), 0) << i;
        EXPECT_EQ(count_in(img(), column(pr, i), vc::part_wave), 0) << i;
    }
    // The value 20000 stands above the middle on the left, -20000 below it on the right.
    EXPECT_EQ(px(img(), pl.left + 151, wave_y(pl, 20000)), rgb_of(vc::part_wave));
    EXPECT_EQ(px(img(), pr.left + 151, wave_y(pr, -20000)), rgb_of(vc::part_wave));
    // The part's icon shows it in the mix (green square).
    const int S = st().hw + 2 * st().cw;
    const view_rect icon{lay().prt_outer[0].left + st().hw / 2,
                         lay().prt_outer[0].top + 3 * st().ch + st().hh, 0, 0};
    const QRgb c = img().pixel(icon.left + S / 8, icon.top + S / 2);
    EXPECT_GT(qGreen(c), 2 * qBlue(c));
    view->extr().prt_mix_flg[0] = 0;
    view->draw_all_data();
    const QRgb c2 = img().pixel(icon.left + S / 8, icon.top + S / 2);
    EXPECT_GT(qBlue(c2), 2 * qGreen(c2)) << "left out of the mix: dark blue square";

    // Zoomed in, an uncovered frame draws the zero line instead of nothing.
    set_zoom(view->disp(), 1.0);
    view->draw_all_data();
    EXPECT_EQ(px(img(), pl.left + 50, pl.top + pl.height() / 2), rgb_of(vc::part_wave));
    EXPECT_EQ(px(img(), pl.left + 50, wave_y(pl, 20000)), rgb_of(vc::pane));
}

TEST_F(view_image, TheClickCursorDrawnTwiceLeavesTheImageUnchangedAndItsLabelShowsTheTime) {
    open(make_wave(44100, [](int i) { return std::int16_t(10000 * std::sin(i * 0.01)); }));
    view->disp().clk_mark = pos_mark{1, 0, 64 * 200, 0.0};
    const QImage before = img().copy();
    {
        auto dc = view->get_dc();
        paint_scene sc = view->scene();
        draw_clk_cursor(dc.get(), sc);
    }
    const int x = lay().orgn_pane_L.left + 200;
    EXPECT_EQ(view->disp().clk_mark.x, x);
    EXPECT_NE(img(), before);
    const QRgb under = px(before, x, lay().orgn_pane_L.top + 3);
    EXPECT_EQ(px(img(), x, lay().orgn_pane_L.top + 3), under ^ 0xFF0000u);
    EXPECT_NE(px(img(), x, lay().copy_pane_R.bottom - 3), px(before, x, lay().copy_pane_R.bottom - 3));
    {
        auto dc = view->get_dc();
        paint_scene sc = view->scene();
        draw_clk_cursor(dc.get(), sc);
    }
    EXPECT_EQ(img(), before);

    ASSERT_GT(lay().copy_wave.width(), 100 * st().cw);
    view->draw_all_data();
    const int hw = st().hw, cw = st().cw, W = st().W;
    const int row = (2 * st().hh + 1) / st().ch;
    EXPECT_TRUE(
        label_matches(*view, (W - hw - 40 * cw - hw + 1) / cw, row, "ｸﾘｯｸ位置=", vc::black, vc::lt_grey));
    EXPECT_TRUE(
        label_matches(*view, (W - hw - 31 * cw - hw + 1) / cw, row, " 0:00.29", vc::black, vc::lt_grey));
    full_repaint(*view);
    EXPECT_EQ(view->disp().clk_mark.set, 0) << "a full repaint forgets the click mark";
}

TEST_F(view_image, MarksOutsideTheVisibleRangeAreNotDrawn) {
    open(silent_wave(200000));
    const view_rect& pane = lay().orgn_pane_L;
    const smpl_range vis = visible_smpl_range(st(), pane);
    view->disp().stt_mark = pos_mark{1, 77, static_cast<int>(vis.last + 1), 0.0};
    view->disp().end_mark = pos_mark{1, 88, 199999, 0.0};
    view->draw_all_data();
    EXPECT_EQ(count_in(img(), lay().orgn_area, vc::ext_mark), 0);
    EXPECT_EQ(view->disp().stt_mark.x, 77) << "keeps its last column";
    EXPECT_EQ(view->disp().end_mark.x, 88);

    // Inside the range: the start mark's two lines and arrowhead appear.
    view->disp().stt_mark.smpl = 64 * 100;
    view->draw_all_data();
    const int x = pane.left + 100;
    EXPECT_EQ(view->disp().stt_mark.x, x);
    EXPECT_EQ(px(img(), x, pane.top + 5), rgb_of(vc::ext_mark));
    EXPECT_EQ(px(img(), x + 1, pane.top + 5), rgb_of(vc::ext_mark));
    EXPECT_EQ(px(img(), x + 4, pane.bottom), rgb_of(vc::ext_mark)) << "arrowhead at the channel border";
    EXPECT_NE(px(img(), x - 1, pane.top + 5), rgb_of(vc::ext_mark));
}

TEST_F(view_image, ABadFileIsReportedOnceAfterTheFirstPaintAndNotOnLaterRepaints) {
    open(make_wave(100, nullptr, 8));
    ASSERT_TRUE(doc->is_bad_file());
    EXPECT_TRUE(messages.texts.empty()) << "not from inside the paint";
    QApplication::processEvents();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "読み込んだファイルが不正です!!　　");
    EXPECT_EQ(messages.captions[0], "確認");
    full_repaint(*view);
    QApplication::processEvents();
    EXPECT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(st().data_cnt, 512) << "what the document holds is still painted";
}

TEST_F(view_image, AResizeRepaintsEverythingAtTheNewSize) {
    open(silent_wave(2000));
    view->resize(700, 500);
    view->repaint();
    EXPECT_EQ(img().size(), QSize(700, 500));
    EXPECT_EQ(lay().R0, 700 - st().hw - 3 * st().cw);
    EXPECT_EQ(px(img(), lay().orgn_pane_L.right - 5, lay().orgn_pane_L.top + 5), rgb_of(vc::pane));
}

}  // namespace
