#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>

#include "app/gui/child_frame.h"
#include "app/gui/command_ids.h"
#include "app/gui/frame_menus.h"
#include "app/gui/ins_mode.h"
#include "app/gui/status_bar.h"
#include "tests/gui/gui_test_support.h"

namespace {

using namespace cmd;
QString u(const char* s) { return QString::fromUtf8(s); }

// A menu as the user sees it: its title, then "text=id" per item, "-" for a separator.
using menu_text = std::vector<std::string>;

const std::vector<menu_text> menu_128 = {
    {"ﾌｧｲﾙ(&F)", "開く(&O)...=57601", "-", "最新のﾌｧｲﾙ=57616", "-", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)=57665"},
    {"表示(&V)", "ﾂｰﾙ ﾊﾞｰ(&T)=59392", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)=59393"},
    {"ﾍﾙﾌﾟ(&H)", "ﾊﾞｰｼﾞｮﾝ情報(Tonewarp)(&A)...=57664"},
};

const std::vector<menu_text> menu_129 = {
    {"ﾌｧｲﾙ(&F)", "開く(&O)...=57601", "閉じる(&C)=57602", "上書き保存(&S)=57603",
     "名前を付けて保存(&A)...=57604", "-", "最新のﾌｧｲﾙ=57616", "-", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)=57665"},
    {"編集(&E)", "音源パートの抽出(&X)=32771"},
    {"表示(&V)", "ﾂｰﾙ ﾊﾞｰ(&T)=59392", "ｽﾃｰﾀｽ ﾊﾞｰ(&S)=59393", "-", "周波数解析表示モード(&M)=32776"},
    {"設定(&S)", "抽出ﾊﾟﾗﾒｰﾀ設定(&P)=32772", "抽出開始位置の設定(&S)=32774", "抽出終了位置の設定(&E)=32775"},
    {"ｳｨﾝﾄﾞｳ(&W)", "新しいｳｨﾝﾄﾞｳを開く(&N)=57648", "重ねて表示(&C)=57650", "並べて表示(&T)=57651",
     "ｱｲｺﾝの整列(&A)=57649"},
    {"ﾍﾙﾌﾟ(&H)", "ﾊﾞｰｼﾞｮﾝ情報(Tonewarp) (&A)...=57664"},
};

// The menu bar read back in the same notation; items that are greyed are marked.
std::vector<menu_text> menu_bar_of(CMainFrame* frame) {
    std::vector<menu_text> bar;
    for (QAction* top : frame->menuBar()->actions()) {
        menu_text m{top->text().toStdString()};
        for (QAction* a : top->menu()->actions()) {
            if (!a->isVisible()) continue;
            if (a->isSeparator()) {
                m.push_back("-");
                continue;
            }
            m.push_back((a->text() + "=" + QString::number(a->data().toInt())).toStdString() +
                        (a->isEnabled() ? "" : " (greyed)"));
        }
        bar.push_back(m);
    }
    return bar;
}

using frame_menus_test = gui_test;

TEST_F(frame_menus_test, MenuOneTwentyEightStandsUntilADocumentOpensAndReturnsWithTheLastOneClosed) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    EXPECT_EQ(frame->menu_resource(), IDR_MAINFRAME);
    EXPECT_EQ(menu_bar_of(frame), menu_128);

    doc_entry* first = app->doc_template().file_new();
    doc_entry* second = app->doc_template().file_new();
    EXPECT_EQ(frame->menu_resource(), IDR_TONEWPTYPE);
    EXPECT_EQ(menu_bar_of(frame), menu_129);

    app->doc_template().file_close(*first);
    process_events();
    EXPECT_EQ(frame->menu_resource(), IDR_TONEWPTYPE) << "one document is still open";
    second->frames().first()->close();  // its close box
    process_events();
    EXPECT_TRUE(app->doc_template().documents().empty());
    EXPECT_EQ(menu_bar_of(frame), menu_128);
}

TEST_F(frame_menus_test, TheAcceleratorTableWorksWhicheverMenuIsShownAndEditKeysDoNothing) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    const std::vector<std::pair<const char*, int>> table = {
        {"Ctrl+N", ID_FILE_NEW},    {"Ctrl+O", ID_FILE_OPEN},   {"Ctrl+S", ID_FILE_SAVE},
        {"Ctrl+P", ID_FILE_PRINT},  {"Ctrl+Z", ID_EDIT_UNDO},   {"Alt+Backspace", ID_EDIT_UNDO},
        {"Ctrl+X", ID_EDIT_CUT},    {"Shift+Del", ID_EDIT_CUT}, {"Ctrl+C", ID_EDIT_COPY},
        {"Ctrl+Ins", ID_EDIT_COPY}, {"Ctrl+V", ID_EDIT_PASTE},  {"Shift+Ins", ID_EDIT_PASTE},
        {"F6", ID_NEXT_PANE},       {"Shift+F6", ID_PREV_PANE}};
    for (const auto& [key, id] : table) {
        const QKeySequence seq(key);
        QList<int> ids;
        for (QAction* a : frame->actions()) {
            if (a->shortcuts().contains(seq)) ids.append(a->data().toInt());
        }
        EXPECT_EQ(ids, QList<int>{id}) << key;
    }

    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);  // under menu 128
    ASSERT_EQ(app->doc_template().documents().size(), 1u);
    for (int id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_NEXT_PANE, ID_PREV_PANE})
        frame->dispatch(id);
    EXPECT_EQ(app->doc_template().documents().size(), 1u);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(frame_menus_test, HighlightedItemsPutTheirPromptInTheMessagePane) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    app->doc_template().file_new();
    tw_status_bar* bar = frame->panes();
    EXPECT_EQ(bar->pane_text(0), u("レディ"));
    // Highlighting an item of the open menu, as the mouse or the arrow keys do.
    auto highlight = [frame](int menu_index, int id) {
        QMenu* menu = frame->menuBar()->actions()[menu_index]->menu();
        menu->popup(frame->mapToGlobal(QPoint(0, 0)));
        menu->setActiveAction(frame->menus().action(id));
        return frame->panes()->pane_text(0);
    };
    EXPECT_EQ(highlight(1, ID_EXTRACT), u("原音から各音源パートを抽出する"));
    EXPECT_EQ(highlight(3, ID_EXT_PARAM), u("抽出用のﾊﾟﾗﾒｰﾀを設定します"));
    EXPECT_NE(highlight(0, ID_FILE_OPEN), u("レディ"));
    frame->menuBar()->actions().first()->menu()->hide();
    QStatusTipEvent leave{QString()};
    QCoreApplication::sendEvent(frame, &leave);
    EXPECT_EQ(bar->pane_text(0), u("レディ"));
}

TEST_F(frame_menus_test, TheBarsAreOpenSaveAndTheVersionBoxAboveAndExactlyFivePanesBelow) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    const QList<QAction*> tools = frame->tool_bar()->actions();
    ASSERT_EQ(tools.size(), 4);
    EXPECT_EQ(tools[0]->data().toInt(), ID_FILE_OPEN);
    EXPECT_EQ(tools[1]->data().toInt(), ID_FILE_SAVE);
    EXPECT_TRUE(tools[2]->isSeparator());
    EXPECT_EQ(tools[3]->data().toInt(), ID_APP_ABOUT);
    EXPECT_EQ(frame->tool_bar()->iconSize(), QSize(16, 15));
    for (int i : {0, 1, 3}) EXPECT_FALSE(tools[i]->icon().pixmap(QSize(16, 15)).isNull()) << i;

    tw_status_bar* bar = frame->panes();
    EXPECT_EQ(bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly).size(), 5);
    bar->set_lock_key_source([] { return lock_key_state{false, true, true, false}; });
    EXPECT_EQ(QStringList({bar->pane_text(1), bar->pane_text(2), bar->pane_text(3), bar->pane_text(4)}),
              QStringList({"", "CAP", "NUM", ""}));
    bar->set_lock_key_source([] { return lock_key_state{true, false, false, true}; });
    EXPECT_EQ(QStringList({bar->pane_text(1), bar->pane_text(2), bar->pane_text(3), bar->pane_text(4)}),
              QStringList({u("ｶﾅ"), "", "", "SCRL"}));

    // The toggles hide and show the bars and keep their check marks with them.
    frame->dispatch(ID_VIEW_TOOLBAR);
    frame->dispatch(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(frame->tool_bar()->isHidden() && bar->isHidden());
    EXPECT_FALSE(frame->menus().action(ID_VIEW_TOOLBAR)->isChecked());
    EXPECT_FALSE(frame->menus().action(ID_VIEW_STATUS_BAR)->isChecked());
    frame->dispatch(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(frame->tool_bar()->isHidden());
    EXPECT_TRUE(frame->menus().action(ID_VIEW_TOOLBAR)->isChecked());
}

TEST_F(frame_menus_test, TheInsertKeyInAChildFrameSwitchesTheModeAndShowsItInTheMessagePane) {
    ins_ovr_mode = 0;
    auto app = start_app();
    CChildFrame* child = app->doc_template().file_new()->frames().first();
    tw_status_bar* bar = app->main_frame()->panes();
    QTest::keyClick(child, Qt::Key_Insert);
    EXPECT_EQ(ins_ovr_mode, 1);
    EXPECT_EQ(bar->pane_text(0), u("挿入"));
    QTest::keyClick(child, Qt::Key_Insert);
    QTest::keyClick(child, Qt::Key_A);
    EXPECT_EQ(ins_ovr_mode, 2);
    EXPECT_EQ(bar->pane_text(0), u("上書"));
    QTest::keyClick(child, Qt::Key_Insert);
    EXPECT_EQ(ins_ovr_mode, 1);
}

TEST_F(frame_menus_test, TheWindowCommandsOpenASecondViewAndArrangeTheFrames) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    doc_entry* d = app->doc_template().file_new();
    frame->dispatch(ID_WINDOW_NEW);
    ASSERT_EQ(d->frames().size(), 2);
    CChildFrame* a = d->frames()[0];
    CChildFrame* b = d->frames()[1];
    EXPECT_EQ(a->windowTitle() + " " + b->windowTitle(), QString("ToneWp1:1 ToneWp1:2"));
    EXPECT_EQ(&b->document(), d) << "both frames show the one document";

    frame->dispatch(ID_WINDOW_CASCADE);
    EXPECT_EQ(a->size(), b->size());
    EXPECT_GT(b->x(), a->x());
    EXPECT_GT(b->y(), a->y());
    frame->dispatch(ID_WINDOW_TILE_HORZ);
    EXPECT_FALSE(a->geometry().intersects(b->geometry()));
    a->showMinimized();
    frame->dispatch(ID_WINDOW_ARRANGE);
    EXPECT_EQ(a->x(), 0);
    EXPECT_EQ(a->geometry().bottom(), frame->mdi_area()->viewport()->height() - 1);

    b->close();
    process_events();
    ASSERT_EQ(d->frames().size(), 1);
    EXPECT_EQ(a->windowTitle(), QString("ToneWp1"));
}

}  // namespace
