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
#include "app/gui/status_bar.h"
#include "tests/gui/frame_test_support.h"
#include "tests/gui/gui_test_support.h"

namespace {

using namespace cmd;

struct item {
    const char* text;  // null for a separator
    int id;
};

struct menu_spec {
    const char* title;
    std::vector<item> items;
};

// The menus as the user sees them, with an empty recent-file list.
const std::vector<menu_spec> menu_128 = {
    {"ﾌｧｲﾙ(&F)",
     {{"開く(&O)...", 0xE101},
      {nullptr, 0},
      {"最新のﾌｧｲﾙ", 0xE110},
      {nullptr, 0},
      {"ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", 0xE141}}},
    {"表示(&V)", {{"ﾂｰﾙ ﾊﾞｰ(&T)", 0xE800}, {"ｽﾃｰﾀｽ ﾊﾞｰ(&S)", 0xE801}}},
    {"ﾍﾙﾌﾟ(&H)", {{"ﾊﾞｰｼﾞｮﾝ情報(Tonewarp)(&A)...", 0xE140}}},
};

const std::vector<menu_spec> menu_129 = {
    {"ﾌｧｲﾙ(&F)",
     {{"開く(&O)...", 0xE101},
      {"閉じる(&C)", 0xE102},
      {"上書き保存(&S)", 0xE103},
      {"名前を付けて保存(&A)...", 0xE104},
      {nullptr, 0},
      {"最新のﾌｧｲﾙ", 0xE110},
      {nullptr, 0},
      {"ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)", 0xE141}}},
    {"編集(&E)", {{"音源パートの抽出(&X)", 32771}}},
    {"表示(&V)",
     {{"ﾂｰﾙ ﾊﾞｰ(&T)", 0xE800}, {"ｽﾃｰﾀｽ ﾊﾞｰ(&S)", 0xE801}, {nullptr, 0}, {"周波数解析表示モード(&M)", 32776}}},
    {"設定(&S)",
     {{"抽出ﾊﾟﾗﾒｰﾀ設定(&P)", 32772}, {"抽出開始位置の設定(&S)", 32774}, {"抽出終了位置の設定(&E)", 32775}}},
    {"ｳｨﾝﾄﾞｳ(&W)",
     {{"新しいｳｨﾝﾄﾞｳを開く(&N)", 0xE130},
      {"重ねて表示(&C)", 0xE132},
      {"並べて表示(&T)", 0xE133},
      {"ｱｲｺﾝの整列(&A)", 0xE131}}},
    {"ﾍﾙﾌﾟ(&H)", {{"ﾊﾞｰｼﾞｮﾝ情報(Tonewarp) (&A)...", 0xE140}}},
};

// The menu bar's visible items, compared with spec.
void expect_menu_bar(CMainFrame* frame, const std::vector<menu_spec>& spec) {
    const QList<QAction*> top = frame->menuBar()->actions();
    ASSERT_EQ(top.size(), static_cast<qsizetype>(spec.size()));
    for (std::size_t m = 0; m < spec.size(); ++m) {
        SCOPED_TRACE(spec[m].title);
        EXPECT_EQ(top[m]->text(), QString::fromUtf8(spec[m].title));
        QList<QAction*> items;
        for (QAction* a : top[m]->menu()->actions()) {
            if (a->isVisible()) items.append(a);
        }
        ASSERT_EQ(items.size(), static_cast<qsizetype>(spec[m].items.size()));
        for (std::size_t i = 0; i < spec[m].items.size(); ++i) {
            const item& want = spec[m].items[i];
            if (want.text == nullptr) {
                EXPECT_TRUE(items[i]->isSeparator()) << "item " << i;
                continue;
            }
            EXPECT_EQ(items[i]->text(), QString::fromUtf8(want.text));
            EXPECT_EQ(items[i]->data().toInt(), want.id) << want.text;
            EXPECT_TRUE(items[i]->isEnabled()) << want.text;
        }
    }
}

QAction* window_action_with_key(QWidget* window, const QKeySequence& key) {
    for (QAction* a : window->actions()) {
        if (a->shortcuts().contains(key)) return a;
    }
    return nullptr;
}

using frame_menus_test = gui_test;

TEST_F(frame_menus_test, TheMenuWithoutDocumentsHasEveryItemAndNumber) {
    auto app = start_app();
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->main_frame()->menu_resource(), IDR_MAINFRAME);
    expect_menu_bar(app->main_frame(), menu_128);
}

TEST_F(frame_menus_test, TheDocumentMenuReplacesItWhileADocumentIsOpenAndLeavesWithTheLastDocument) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    doc_entry* first = app->doc_template().file_new();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(frame->menu_resource(), IDR_TONEWPTYPE);
    expect_menu_bar(frame, menu_129);

    doc_entry* second = app->doc_template().file_new();
    app->doc_template().file_close(*first);
    process_events();
    EXPECT_EQ(frame->menu_resource(), IDR_TONEWPTYPE) << "one document is still open";

    // The document's last frame closed by its own close box.
    second->frames().first()->close();
    process_events();
    EXPECT_TRUE(app->doc_template().documents().empty());
    EXPECT_EQ(frame->menu_resource(), IDR_MAINFRAME);
    expect_menu_bar(frame, menu_128);
}

TEST_F(frame_menus_test, AcceleratorsWorkWhicheverMenuIsShown) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    const struct {
        QKeySequence key;
        int id;
    } table[] = {
        {QKeySequence("Ctrl+N"), ID_FILE_NEW},   {QKeySequence("Ctrl+O"), ID_FILE_OPEN},
        {QKeySequence("Ctrl+S"), ID_FILE_SAVE},  {QKeySequence("Ctrl+P"), ID_FILE_PRINT},
        {QKeySequence("Ctrl+Z"), ID_EDIT_UNDO},  {QKeySequence("Alt+Backspace"), ID_EDIT_UNDO},
        {QKeySequence("Ctrl+X"), ID_EDIT_CUT},   {QKeySequence("Shift+Del"), ID_EDIT_CUT},
        {QKeySequence("Ctrl+C"), ID_EDIT_COPY},  {QKeySequence("Ctrl+Ins"), ID_EDIT_COPY},
        {QKeySequence("Ctrl+V"), ID_EDIT_PASTE}, {QKeySequence("Shift+Ins"), ID_EDIT_PASTE},
        {QKeySequence("F6"), ID_NEXT_PANE},      {QKeySequence("Shift+F6"), ID_PREV_PANE},
    };
    for (const auto& row : table) {
        QAction* a = window_action_with_key(frame, row.key);
        ASSERT_NE(a, nullptr) << row.key.toString().toStdString();
        EXPECT_EQ(a->data().toInt(), row.id) << row.key.toString().toStdString();
        EXPECT_EQ(a->shortcutContext(), Qt::WindowShortcut);
    }

    // Ctrl+N typed into the window creates a document even under menu 128.
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(app->doc_template().documents().size(), 1u);
    EXPECT_EQ(frame->menu_resource(), IDR_TONEWPTYPE);

    // Undo, cut, copy and paste do nothing at all.
    for (int id : {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_NEXT_PANE, ID_PREV_PANE}) {
        frame->dispatch(id);
    }
    EXPECT_EQ(app->doc_template().documents().size(), 1u);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(frame_menus_test, HighlightedItemsPutTheirPromptInTheMessagePane) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    app->doc_template().file_new();
    tw_status_bar* bar = frame->panes();
    EXPECT_EQ(bar->pane_text(0), QString::fromUtf8("レディ"));

    // Highlighting an item of the open menu, as the mouse or the arrow keys do.
    auto highlight = [frame](int menu_index, int id) {
        QMenu* menu = frame->menuBar()->actions()[menu_index]->menu();
        menu->popup(frame->mapToGlobal(QPoint(0, 0)));
        menu->setActiveAction(frame->menus().action(id));
    };
    highlight(1, ID_EXTRACT);
    EXPECT_EQ(bar->pane_text(0), QString::fromUtf8("原音から各音源パートを抽出する"));
    highlight(3, ID_EXT_PARAM);
    EXPECT_EQ(bar->pane_text(0), QString::fromUtf8("抽出用のﾊﾟﾗﾒｰﾀを設定します"));
    highlight(0, ID_FILE_OPEN);
    EXPECT_FALSE(bar->pane_text(0).isEmpty());
    EXPECT_NE(bar->pane_text(0), QString::fromUtf8("レディ"));
    frame->menuBar()->actions()[0]->menu()->hide();

    // Leaving the item brings the idle text back.
    QStatusTipEvent leave{QString()};
    QCoreApplication::sendEvent(frame, &leave);
    EXPECT_EQ(bar->pane_text(0), QString::fromUtf8("レディ"));
}

TEST_F(frame_menus_test, TheToolBarHoldsOpenSaveASeparatorAndTheVersionBoxWithSmallIcons) {
    auto app = start_app();
    QToolBar* bar = app->main_frame()->tool_bar();
    const QList<QAction*> a = bar->actions();
    ASSERT_EQ(a.size(), 4);
    EXPECT_EQ(a[0]->data().toInt(), ID_FILE_OPEN);
    EXPECT_EQ(a[1]->data().toInt(), ID_FILE_SAVE);
    EXPECT_TRUE(a[2]->isSeparator());
    EXPECT_EQ(a[3]->data().toInt(), ID_APP_ABOUT);
    EXPECT_EQ(bar->iconSize(), QSize(16, 15));
    for (int i : {0, 1, 3}) {
        EXPECT_FALSE(a[i]->icon().isNull()) << i;
        EXPECT_FALSE(a[i]->icon().pixmap(QSize(16, 15)).isNull()) << i;
    }
    EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
}

TEST_F(frame_menus_test, TheStatusBarHasExactlyFivePanesShowingTheLockKeys) {
    auto app = start_app();
    tw_status_bar* bar = app->main_frame()->panes();
    EXPECT_EQ(bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly).size(), 5);

    bar->set_lock_key_source([] { return lock_key_state{false, true, true, false}; });
    EXPECT_EQ(bar->pane_text(1), QString());
    EXPECT_EQ(bar->pane_text(2), QString("CAP"));
    EXPECT_EQ(bar->pane_text(3), QString("NUM"));
    EXPECT_EQ(bar->pane_text(4), QString());

    bar->set_lock_key_source([] { return lock_key_state{true, false, false, true}; });
    EXPECT_EQ(bar->pane_text(1), QString::fromUtf8("ｶﾅ"));
    EXPECT_EQ(bar->pane_text(2), QString());
    EXPECT_EQ(bar->pane_text(3), QString());
    EXPECT_EQ(bar->pane_text(4), QString("SCRL"));
    // A pane keeps its width while its key is off.
    EXPECT_GT(bar->pane(2)->minimumWidth(), 0);
}

TEST_F(frame_menus_test, TheBarTogglesHideAndShowTheBarsAndTrackThem) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    QAction* tb = frame->menus().action(ID_VIEW_TOOLBAR);
    QAction* sb = frame->menus().action(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(tb->isChecked());
    frame->dispatch(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(frame->tool_bar()->isHidden());
    EXPECT_FALSE(tb->isChecked());
    frame->dispatch(ID_VIEW_STATUS_BAR);
    EXPECT_TRUE(frame->panes()->isHidden());
    EXPECT_FALSE(sb->isChecked());
    frame->dispatch(ID_VIEW_TOOLBAR);
    frame->dispatch(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(frame->tool_bar()->isHidden());
    EXPECT_FALSE(frame->panes()->isHidden());
    EXPECT_TRUE(tb->isChecked() && sb->isChecked());
}

TEST_F(frame_menus_test, TheViewChangesItemTextsByCommandNumberInEveryMenuThatShowsThem) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    frame->set_command_text(ID_EXTRACT, QString::fromUtf8("抽出処理の中断(&X)"));
    const QList<QAction*> items = frame->command_actions(ID_EXTRACT);
    ASSERT_FALSE(items.isEmpty());
    for (QAction* a : items) EXPECT_EQ(a->text(), QString::fromUtf8("抽出処理の中断(&X)"));
}

TEST_F(frame_menus_test, TheWindowCommandsArrangeTheFrames) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    doc_entry* d = app->doc_template().file_new();
    frame->dispatch(ID_WINDOW_NEW);
    ASSERT_EQ(d->frames().size(), 2);
    EXPECT_EQ(d->frames()[0]->windowTitle(), QString("ToneWp1:1"));
    EXPECT_EQ(d->frames()[1]->windowTitle(), QString("ToneWp1:2"));

    frame->dispatch(ID_WINDOW_CASCADE);
    const QRect a = d->frames()[0]->geometry();
    const QRect b = d->frames()[1]->geometry();
    EXPECT_EQ(a.size(), b.size());
    EXPECT_GT(b.left(), a.left());
    EXPECT_GT(b.top(), a.top());

    frame->dispatch(ID_WINDOW_TILE_HORZ);
    EXPECT_FALSE(d->frames()[0]->geometry().intersects(d->frames()[1]->geometry()));

    d->frames()[0]->showMinimized();
    frame->dispatch(ID_WINDOW_ARRANGE);
    const QRect icon = d->frames()[0]->geometry();
    EXPECT_EQ(icon.left(), 0);
    EXPECT_EQ(icon.bottom(), frame->mdi_area()->viewport()->height() - 1);

    // One frame closed: the other shows the plain title again.
    d->frames()[1]->close();
    process_events();
    ASSERT_EQ(d->frames().size(), 1);
    EXPECT_EQ(d->frames()[0]->windowTitle(), QString("ToneWp1"));
}

TEST_F(frame_menus_test, TheCaptionShowsTheActiveDocument) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    EXPECT_EQ(frame->windowTitle(), QString("Tone_Warp Extractor"));
    app->doc_template().file_new();
    process_events();
    EXPECT_EQ(frame->windowTitle(), QString("Tone_Warp Extractor - ToneWp1"));
}

}  // namespace
