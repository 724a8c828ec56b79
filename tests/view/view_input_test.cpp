// The view's input on a real, headless view: zoom clicks, typed commands,
// part icons, the yellow buttons, scroll bars, Escape, the right-click menu
// and renaming a part.
#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cstring>
#include <functional>

#include "app/err_log.h"
#include "app/gui/command_ids.h"
#include "app/gui/part_name_dlg.h"
#include "app/gui/sys_param_dlg.h"
#include "app/sys_param.h"
#include "document/le_bytes.h"
#include "tests/support/test_dir.h"
#include "view_fixture.h"

namespace {

constexpr rgb stamp_colour{1, 2, 3};

// Runs body on the next modal dialog (or popup menu) once it is shown.
void on_next_popup(std::function<void(QWidget*)> body) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [body, poll] {
        QWidget* w = QApplication::activePopupWidget();
        if (w == nullptr) w = QApplication::activeModalWidget();
        if (w == nullptr || !w->isVisible()) {
            QTimer::singleShot(5, *poll);
            return;
        }
        QCoreApplication::processEvents();
        body(w);
        if (w->isVisible()) w->close();
        *poll = nullptr;
    };
    QTimer::singleShot(0, *poll);
}

struct view_input : in_test_dir {
    std::unique_ptr<CTonewarpDoc> doc;
    std::unique_ptr<CTonewarpView> view;
    recording_presenter messages;

    void open(int frames, std::int16_t (*left)(int) = nullptr) {
        doc = make_doc(make_wave(frames, left));
        view = make_view(doc.get(), 1000, 1000);
    }
    void TearDown() override { log_on_flg = 0; }
    const QImage& img() const { return view->image(); }
    const disp_layout& lay() const { return view->layout(); }
    view_disp_state& st() { return view->disp(); }
    void click(int x, int y) { QTest::mouseClick(view.get(), Qt::LeftButton, {}, QPoint(x, y)); }
    void type(const char* s) { QTest::keyClicks(view.get(), s); }
    // A pixel inside the original's left pane that any repaint of the values paints over.
    QPoint stamp_at() const { return {lay().orgn_pane_L.left + 4, lay().orgn_pane_L.top + 4}; }
    void stamp() {
        auto dc = view->get_dc();
        draw_line_rect(dc.get(), stamp_at().x(), stamp_at().y(), stamp_at().x(), stamp_at().y(), stamp_colour,
                       2);
    }
    bool repainted() const { return px(img(), stamp_at().x(), stamp_at().y()) != rgb_of(stamp_colour); }
    std::int16_t mdfy(int frame, int ch) const { return get_frame_sample(doc->mdfy_dt, frame, ch); }
};

std::int16_t ramp(int i) { return static_cast<std::int16_t>(i % 3000 - 1500); }

TEST_F(view_input, ZoomClicksFollowTheRulesAndARefusedZoomOutRepaintsNothing) {
    open(44100, ramp);
    const view_rect spot8 = lay().zoom_in_x8;
    const QPoint x8((spot8.left + spot8.right) / 2, (spot8.top + spot8.bottom) / 2);
    const QPoint in2(lay().zoom_in_btn.left + 2, lay().zoom_in_btn.top + 2);
    const QPoint out8((lay().zoom_out_x8.left + lay().zoom_out_x8.right) / 2, x8.y());
    const QPoint out2(lay().zoom_out_btn.left + 2, lay().zoom_out_btn.top + 2);

    click(x8.x(), x8.y());
    EXPECT_EQ(st().zoom, 1.0 / 8) << "the hot spot zooms by 8 only";
    click(x8.x(), x8.y());
    click(x8.x(), x8.y());
    EXPECT_EQ(st().zoom, 8.0);
    stamp();
    click(x8.x(), x8.y());
    EXPECT_EQ(st().zoom, 8.0);
    EXPECT_TRUE(repainted()) << "a zoom in that stays still repaints";
    click(in2.x(), in2.y());
    EXPECT_EQ(st().zoom, 8.0);

    for (int i = 0; i < 5; ++i) click(out8.x(), out8.y());
    EXPECT_EQ(st().zoom, 1.0 / 4096);
    EXPECT_DOUBLE_EQ(st().smpl_per_pix, 4096.0);
    stamp();
    click(out2.x(), out2.y());
    click(out8.x(), out8.y());
    EXPECT_EQ(st().zoom, 1.0 / 4096);
    EXPECT_FALSE(repainted()) << "a refused zoom out does not repaint";
}

TEST_F(view_input, TypedSequencesActOnceOnTheirEighthCharacter) {
    open(3000, ramp);
    bool param_dlg = false;
    on_next_popup([&](QWidget* w) { param_dlg = qobject_cast<CSysParamDlg*>(w) != nullptr; });
    type("Xq1Alpha");
    EXPECT_TRUE(param_dlg) << "the full parameter dialog, modal";
    type("Xq2Bravo");
    EXPECT_EQ(log_on_flg, 1);
    type("Xq3Charl");
    EXPECT_EQ(log_on_flg, 0);

    // Centre cancel wraps to 16 bits: 32767 - (-32768) is -1.
    put_frame_sample(doc->orgn_dt, 0, 0, 32767);
    put_frame_sample(doc->orgn_dt, 0, 1, -32768);
    type("Xq4Delt");
    EXPECT_EQ(mdfy(0, 0), -1500) << "seven characters do nothing";
    type("a");
    EXPECT_EQ(mdfy(0, 0), -1);
    EXPECT_EQ(mdfy(0, 1), -1);
    EXPECT_EQ(mdfy(10, 0), 2 * ramp(10));
    EXPECT_EQ(mdfy(10, 1), 2 * ramp(10));
    doc->restore_copy_dt();
    type("x");
    EXPECT_EQ(mdfy(0, 0), 32767) << "a ninth character shifts the sequence out";

    type("Xq4Delta");
    type("Xq5Echoo");
    EXPECT_EQ(std::memcmp(doc->mdfy_dt, doc->orgn_dt, 4 * 3000), 0) << "restored from the original";

    // The yellow buttons run the same functions: centre cancel beside the
    // copy, restore beside the original.
    const int x = lay().L0 - 7 * st().cw - st().hw + 1;
    click(x, lay().copy_pane_L.bottom - st().hh + 1);
    EXPECT_EQ(mdfy(0, 1), -1);
    click(x, lay().orgn_pane_L.bottom - st().hh + 1);
    EXPECT_EQ(mdfy(0, 1), -32768);
}

TEST_F(view_input, TheSpectrumsSequencesAndButtonsActOnlyInFrequencyMode) {
    open(3000, ramp);
    stamp();
    type("Xq7Golfy");
    type("Xq0Julie");
    EXPECT_EQ(view->spc_sel().comp, 1);
    EXPECT_EQ(view->spc_sel().scale, 1);
    EXPECT_FALSE(repainted()) << "normal mode: the display is left alone";

    ASSERT_TRUE(view->on_command(cmd::ID_DISP_MODE));
    EXPECT_EQ(st().disp_mode, disp_mode_freq);
    EXPECT_TRUE(lay().spc_tall);
    QScrollBar* bar = view->part_scroll().bar;
    ASSERT_NE(bar, nullptr) << "the spectrum scrolls with the part-list bar";
    EXPECT_TRUE(bar->isVisible());
    const view_rect& r = lay().prt_scroll;
    EXPECT_EQ(bar->geometry(), QRect(r.left, r.top, r.width(), r.height()));

    stamp();
    type("Xq7Golfy");
    EXPECT_EQ(view->spc_sel().comp, 2);
    EXPECT_TRUE(repainted());
    type("Xq8Hotel");
    EXPECT_EQ(view->spc_sel().comp, 3);
    type("Xq0Julie");
    EXPECT_EQ(view->spc_sel().scale, 2);
    type("Xq9India");
    EXPECT_EQ(view->spc_sel().scale, 1);

    // "Ｒ" selects the right channel; a click on the selected button does nothing.
    const int bx = 2 * st().hw;
    const int r_y = lay().lower_top + st().hh + 3 * st().ch;
    click(bx, r_y);
    EXPECT_EQ(view->spc_sel().chnl, 2);
    stamp();
    click(bx, r_y);
    EXPECT_FALSE(repainted());
    click(bx, lay().lower_top + st().hh + st().ch);
    EXPECT_EQ(view->spc_sel().chnl, 1);

    view->on_command(cmd::ID_DISP_MODE);
    EXPECT_EQ(st().disp_mode, disp_mode_normal);
    EXPECT_FALSE(bar->isVisible()) << "no parts to list";
}

TEST_F(view_input, EscapeClearsAClickMarkAndTheCursorIsDrawnByXor) {
    open(44100, ramp);
    view->on_command(cmd::ID_DISP_MODE);
    const view_rect& in = lay().spc_inner;
    const int x = in.left + 101, y = in.top + 40;
    const QImage before = img().copy();
    click(x, y);
    ASSERT_EQ(st().clk_mark.set, 1);
    EXPECT_EQ(st().clk_mark.smpl, 64 * (x - lay().L0));
    EXPECT_EQ(px(img(), x, y), px(before, x, y) ^ 0xFF0000u) << "the cursor crosses the spectrum";
    EXPECT_EQ(px(img(), x, lay().orgn_pane_L.top + 5), px(before, x, lay().orgn_pane_L.top + 5) ^ 0xFF0000u);
    click(x + 50, y);
    EXPECT_EQ(px(img(), x, y), px(before, x, y)) << "the old cursor is XORed away";

    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_EQ(st().clk_mark.set, 0);
    EXPECT_EQ(st().clk_mark.smpl, 0);
    EXPECT_EQ(img(), before) << "the values repainted without the cursor";
    stamp();
    QTest::keyClick(view.get(), Qt::Key_Escape);
    EXPECT_FALSE(repainted()) << "no mark: Escape does nothing";
}

TEST_F(view_input, PartIconsSwitchPartsInAndOutOfTheRebuiltMix) {
    open(3000, ramp);
    add_part(*doc, *view, 3000, 1000, -1000, {{0, 3000}});
    add_part(*doc, *view, 3000, 2000, 500, {{0, 3000}});
    full_repaint(*view);
    auto icon = [&](int i) {
        return QPoint(2 * st().hw + 1, lay().prt_outer[i].top + 3 * st().ch + st().hh + 1);
    };
    click(icon(0).x(), icon(0).y());
    EXPECT_EQ(view->extr().prt_mix_flg[0], 0);
    EXPECT_EQ(mdfy(1000, 0), 2000);
    EXPECT_EQ(mdfy(1000, 1), 500);
    click(icon(1).x(), icon(1).y());
    for (int i = 0; i < 3000; i += 7)
        ASSERT_EQ(mdfy(i, 0) | mdfy(i, 1), 0) << "every part off: silence at " << i;
    click(icon(0).x(), icon(0).y());
    EXPECT_EQ(view->extr().prt_mix_flg[0], 1);
    EXPECT_EQ(mdfy(1000, 0), 1000);
    EXPECT_EQ(mdfy(1000, 1), -1000);
}

TEST_F(view_input, ThePartListMovesWhenItsThumbIsReleasedAndTheWaveformsFollowTheirs) {
    open(44100, ramp);
    for (int k = 0; k < 3; ++k) add_part(*doc, *view, 3000, 100, 100, {{0, 3000}});
    view->create_part_scroll();
    full_repaint(*view);
    QScrollBar* list = view->part_scroll().bar;
    ASSERT_TRUE(list != nullptr && list->isVisible());
    list->setSliderDown(true);
    list->setSliderPosition(10000);
    EXPECT_EQ(view->extr().prt_list_top, 0) << "dragging does not move the list";
    stamp();
    list->setSliderDown(false);
    EXPECT_EQ(view->extr().prt_list_top, 2) << "released at the bottom: the last part";
    EXPECT_TRUE(repainted());
    list->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(view->extr().prt_list_top, 0);
    list->triggerAction(QAbstractSlider::SliderPageStepAdd);
    list->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(list->value(), 5000) << "a page is a quarter of the range";
    EXPECT_EQ(view->extr().prt_list_top, 1);

    QScrollBar* start = view->start_scroll().bar;
    start->setSliderDown(true);
    start->setSliderPosition(5000);
    EXPECT_EQ(st().draw_stt, 22050) << "the waveforms follow the thumb";
    stamp();
    start->setSliderDown(false);
    EXPECT_FALSE(repainted()) << "releasing the thumb moves nothing more";
    start->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(start->value(), 5010);
    EXPECT_EQ(st().draw_stt, 22094);
}

// One wheel turn of delta eighths of a degree (120 a notch, up positive) over at.
void wheel(QWidget* target, QPoint at, int delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWheelEvent e(QPointF(at), QPointF(target->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &e);
}

TEST_F(view_input, AWheelNotchStepsTheBarOfTheAreaUnderItAndWithCtrlZooms) {
    open(44100, ramp);
    sys_param.part_max = 20;
    for (int k = 0; k < 20; ++k) add_part(*doc, *view, 3000, 100, 100, {{0, 3000}});
    view->create_part_scroll();
    full_repaint(*view);
    QScrollBar* list = view->part_scroll().bar;
    QScrollBar* start = view->start_scroll().bar;
    ASSERT_TRUE(list != nullptr && list->isVisible() && start != nullptr);
    const QPoint lower(lay().L0 + 20, lay().lower_top + 5);
    const QPoint original(lay().orgn_pane_L.left + 20, lay().orgn_pane_L.top + 5);
    const QPoint copy(lay().copy_area.left + 20, lay().copy_area.top + 5);

    // Part list: a notch is the arrow's step (a twentieth of the range: one of 20 parts), on the list or its bar.
    wheel(view.get(), lower, -120);
    EXPECT_EQ(list->value(), 500);
    EXPECT_EQ(view->extr().prt_list_top, 1);
    wheel(list, QPoint(2, 20), -120);
    EXPECT_EQ(view->extr().prt_list_top, 2) << "the bar's own wheel handling is the arrows'";
    wheel(view.get(), lower, -60);
    EXPECT_EQ(view->extr().prt_list_top, 2) << "half a notch moves nothing yet";
    wheel(view.get(), lower, -60);
    EXPECT_EQ(view->extr().prt_list_top, 3);
    wheel(view.get(), lower, 120 * 5);
    EXPECT_EQ(list->value(), 0) << "held at the top";
    EXPECT_EQ(view->extr().prt_list_top, 0);

    // Drawing start: the line step of its bar, a thousandth of the range.
    stamp();
    wheel(view.get(), original, -120);
    EXPECT_EQ(start->value(), 10);
    EXPECT_EQ(st().draw_stt, 44);
    EXPECT_TRUE(repainted());
    wheel(start, QPoint(20, 2), -120);
    wheel(view.get(), copy, -120);
    EXPECT_EQ(st().draw_stt, 132);
    wheel(view.get(), copy, 120 * 4);
    EXPECT_EQ(start->value(), 0);
    EXPECT_EQ(st().draw_stt, 0);
    EXPECT_EQ(view->extr().prt_list_top, 0) << "the part list stayed";

    // Ctrl: x2 up, x1/2 down, over any of them.
    const double z = st().zoom;
    wheel(view.get(), original, 120, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(st().zoom, 2 * z);
    wheel(list, QPoint(2, 20), -240, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(st().zoom, z / 2);
    EXPECT_EQ(list->value(), 0);
}

TEST_F(view_input, TheMenuKeyOpensTheMarksMenuTenPixelsIntoTheView) {
    open(3000, ramp);
    st().stt_mark.set = 1;
    QPoint shown;
    QStringList texts;
    on_next_popup([&](QWidget* w) {
        shown = w->pos();
        for (QAction* a : w->actions()) texts << a->text();
    });
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(-1, -1), QPoint(-1, -1));
    QApplication::sendEvent(view.get(), &key);
    EXPECT_EQ(shown, view->mapToGlobal(QPoint(10, 10)));
    EXPECT_EQ(texts, QStringList({QString::fromUtf8("抽出開始位置の解除(&S)"),
                                  QString::fromUtf8("抽出終了位置の設定(&E)")}));

    // A choice reaches the view's mark commands: the end mark wants a click position.
    on_next_popup([](QWidget* w) {
        auto* menu = qobject_cast<QMenu*>(w);
        menu->setActiveAction(menu->actions()[1]);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(200, 300), view->mapToGlobal(QPoint(200, 300)));
    QApplication::sendEvent(view.get(), &mouse);
    EXPECT_EQ(messages.texts, std::vector<std::string>{"Wave表示領域でのクリック位置が未指定です!!　"});
}

TEST_F(view_input, DoubleClickOnATitleRenamesThePartButRefusesANameInUse) {
    open(3000, ramp);
    add_part(*doc, *view, 3000, 100, 100, {{0, 3000}});
    add_part(*doc, *view, 3000, 100, 100, {{0, 3000}});
    full_repaint(*view);
    bool opened = false;
    on_next_popup([&](QWidget* w) {
        auto* dlg = qobject_cast<CPartNameDlg*>(w);
        ASSERT_NE(dlg, nullptr);
        opened = true;
        auto* field = dlg->findChild<QLineEdit*>();
        field->setText("Part_001");
        dlg->accept();
        EXPECT_TRUE(dlg->isVisible()) << "a name in use keeps the dialog open";
        field->setText("Drums");
        dlg->accept();
    });
    const view_rect& t = lay().prt_outer[1];
    QTest::mouseDClick(view.get(), Qt::LeftButton, {}, QPoint(t.left + 5, t.top + 3));
    ASSERT_TRUE(opened);
    EXPECT_EQ(messages.texts, std::vector<std::string>{part_name_taken_message});
    EXPECT_STREQ(doc->prt_name[1], "Drums");
    EXPECT_STREQ(doc->prt_name[0], "Part_001");
    EXPECT_EQ(view->name_edit().part_no, 1);
}

}  // namespace
