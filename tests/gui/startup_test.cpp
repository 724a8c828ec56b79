#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMdiArea>
#include <QTest>
#include <cstring>

#include "app/err_log.h"
#include "app/gui/child_frame.h"
#include "app/gui/command_ids.h"
#include "app/gui/sys_param_dlg.h"
#include "app/sys_param.h"
#include "tests/gui/frame_test_support.h"
#include "tests/gui/gui_test_support.h"

namespace {

std::int32_t le_i32(const std::string& b, std::size_t off) {
    std::uint32_t v = 0;
    for (int k = 0; k < 4; ++k)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[off + k])) << (8 * k);
    return static_cast<std::int32_t>(v);
}

void put_le_i32(std::string& b, std::size_t off, std::int32_t v) {
    for (int k = 0; k < 4; ++k)
        b[off + k] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * k)) & 0xFF);
}

// A settings file holding the defaults with the four geometry fields replaced.
std::string settings_with_geometry(int x, int y, int w, int h) {
    sys_param_t p;
    set_default_sys_param(p);
    std::string b(reinterpret_cast<const char*>(&p), sizeof p);
    put_le_i32(b, 4, x);
    put_le_i32(b, 8, y);
    put_le_i32(b, 12, w);
    put_le_i32(b, 16, h);
    return b;
}

using startup = gui_test;

TEST_F(startup, StartsWithNoDocumentEvenWhenAFileIsNamedOnTheCommandLine) {
    write_file_bytes("named.wav", wave_bytes({{1, 2}, {3, 4}}));
    auto app = start_app({"tonewarp", "named.wav"});
    ASSERT_NE(app, nullptr);
    process_events();
    EXPECT_TRUE(app->doc_template().documents().empty());
    EXPECT_TRUE(app->main_frame()->mdi_area()->subWindowList().isEmpty());
    EXPECT_TRUE(app->main_frame()->isVisible());
    EXPECT_EQ(app->main_frame()->menu_resource(), cmd::IDR_MAINFRAME);
    EXPECT_TRUE(app->doc_template().recent_files().paths().isEmpty());
}

TEST_F(startup, LoadsTheSettingsWhileBuildingTheFrameResettingTheLogAndTakingTheHeap) {
    write_file_bytes(err_log_file_name, "old log\r\n");
    log_on_flg = 1;
    shared_heap = nullptr;
    auto app = start_app();
    EXPECT_EQ(log_on_flg, 0);
    EXPECT_FALSE(std::filesystem::exists(err_log_file_name));
    EXPECT_NE(shared_heap, nullptr);
    EXPECT_EQ(read_file_bytes(sys_param_file_name).size(), 240u) << "a missing settings file is created";
}

TEST_F(startup, OpensTheMainWindowAtTheDefaultGeometryWithChildFramesOf891By621) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    EXPECT_EQ(frame->pos(), QPoint(10, 10));
    EXPECT_EQ(frame->size(), QSize(1000, 740));
    EXPECT_EQ(frame->windowTitle(), QString("Tone_Warp Extractor"));

    doc_entry* d = app->doc_template().file_new();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->frames().first()->geometry(), QRect(10, 10, 891, 621));
}

TEST_F(startup, AStoredWidthOf50IsReplacedBy1000) {
    write_file_bytes(sys_param_file_name, settings_with_geometry(20, 30, 50, 600));
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    EXPECT_EQ(frame->pos(), QPoint(20, 30));
    EXPECT_EQ(frame->size(), QSize(1000, 600));
    EXPECT_EQ(sys_param.main_win_w, 1000);
    doc_entry* d = app->doc_template().file_new();
    EXPECT_EQ(d->frames().first()->size(), QSize(891, (600 - 50) * 9 / 10));
}

TEST_F(startup, TheCreationHookCorrectsEveryGeometryFieldAndWritesItBack) {
    sys_param_t p;
    set_default_sys_param(p);
    p.main_win_x = -1;
    p.main_win_y = 4000;
    p.main_win_w = 99;
    p.main_win_h = 4000;
    EXPECT_EQ(CMainFrame::creation_rect(p), QRect(10, 10, 1000, 740));
    EXPECT_EQ(p.main_win_x, 10);
    EXPECT_EQ(p.main_win_y, 10);
    EXPECT_EQ(p.main_win_w, 1000);
    EXPECT_EQ(p.main_win_h, 740);

    p.main_win_x = 0;
    p.main_win_y = 3999;
    p.main_win_w = 100;
    p.main_win_h = 3999;
    EXPECT_EQ(CMainFrame::creation_rect(p), QRect(0, 3999, 100, 3999));
}

TEST_F(startup, MovingAndResizingStoreTheGeometryWhichTheNextStartUses) {
    {
        auto app = start_app();
        CMainFrame* frame = app->main_frame();
        frame->move(40, 50);
        frame->resize(1200, 820);
        process_events();
        EXPECT_EQ(sys_param.main_win_x, 40);
        EXPECT_EQ(sys_param.main_win_y, 50);
        EXPECT_EQ(sys_param.main_win_w, 1200);
        EXPECT_EQ(sys_param.main_win_h, 820);
        // Nothing is written before the frame is destroyed.
        EXPECT_EQ(le_i32(read_file_bytes(sys_param_file_name), 12), 1000);
    }
    const std::string file = read_file_bytes(sys_param_file_name);
    ASSERT_EQ(file.size(), 240u);
    EXPECT_EQ(le_i32(file, 4), 40);
    EXPECT_EQ(le_i32(file, 8), 50);
    EXPECT_EQ(le_i32(file, 12), 1200);
    EXPECT_EQ(le_i32(file, 16), 820);

    set_default_sys_param(sys_param);
    auto again = start_app();
    EXPECT_EQ(again->main_frame()->pos(), QPoint(40, 50));
    EXPECT_EQ(again->main_frame()->size(), QSize(1200, 820));
    doc_entry* d = again->doc_template().file_new();
    EXPECT_EQ(d->frames().first()->size(), QSize(1071, 693));
}

TEST_F(startup, ExitClosesTheDocumentsWithoutAskingAndWritesTheSettings) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    app->doc_template().file_new();
    frame->resize(900, 700);
    std::filesystem::remove(sys_param_file_name);
    frame->dispatch(cmd::ID_APP_EXIT);
    process_events();
    EXPECT_EQ(app->main_frame(), nullptr) << "the frame is destroyed on exit";
    EXPECT_TRUE(app->doc_template().documents().empty());
    EXPECT_TRUE(messages_.shown.empty());
    const std::string file = read_file_bytes(sys_param_file_name);
    ASSERT_EQ(file.size(), 240u);
    EXPECT_EQ(le_i32(file, 12), 900);
    EXPECT_EQ(le_i32(file, 16), 700);
}

TEST_F(startup, ASizeEnteredInTheFullParameterDialogSizesTheNextChildFrameAtOnce) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    on_next_modal([](QWidget* w) {
        auto* dlg = qobject_cast<CSysParamDlg*>(w);
        ASSERT_NE(dlg, nullptr);
        dlg->field(1027)->setText("1510");
        dlg->field(1028)->setText("1050");
        dlg->accept();
    });
    CSysParamDlg dlg(frame);
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(frame->size(), QSize(1000, 740)) << "the main window keeps its size";
    doc_entry* d = app->doc_template().file_new();
    EXPECT_EQ(d->frames().first()->size(), QSize(1350, 900));
}

}  // namespace
