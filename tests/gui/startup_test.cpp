#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMdiArea>

#include "app/err_log.h"
#include "app/gui/child_frame.h"
#include "app/gui/command_ids.h"
#include "app/gui/sys_param_dlg.h"
#include "app/sys_param.h"
#include "tests/gui/gui_test_support.h"

namespace {

// The geometry fields of a settings file, read independently of sys_param_t.
QRect stored_geometry(const std::string& b) {
    auto i32 = [&b](std::size_t off) {
        std::uint32_t v = 0;
        for (int k = 0; k < 4; ++k) v |= std::uint32_t{static_cast<unsigned char>(b[off + k])} << (8 * k);
        return static_cast<std::int32_t>(v);
    };
    return b.size() == 240 ? QRect(i32(4), i32(8), i32(12), i32(16)) : QRect();
}

QRect placed(const QWidget* w) { return QRect(w->pos(), w->size()); }

using startup = gui_test;

TEST_F(startup, StartsWithNoDocumentEvenWhenAFileIsNamedOnTheCommandLine) {
    write_file_bytes("named.wav", wave_bytes({{1, 2}, {3, 4}}));
    auto app = start_app({"tonewarp", "named.wav"});
    ASSERT_NE(app, nullptr);
    process_events();
    EXPECT_TRUE(app->main_frame()->isVisible());
    EXPECT_TRUE(app->doc_template().documents().empty());
    EXPECT_TRUE(app->main_frame()->mdi_area()->subWindowList().isEmpty());
    EXPECT_TRUE(app->doc_template().recent_files().paths().isEmpty());
}

TEST_F(startup, BuildingTheFrameLoadsTheSettingsResetsTheLogAndTakesTheHeap) {
    write_file_bytes(err_log_file_name, "old log\r\n");
    log_on_flg = 1;
    shared_heap = nullptr;
    auto app = start_app();
    EXPECT_EQ(log_on_flg, 0);
    EXPECT_FALSE(std::filesystem::exists(err_log_file_name));
    EXPECT_NE(shared_heap, nullptr);
    EXPECT_EQ(stored_geometry(read_file_bytes(sys_param_file_name)), QRect(10, 10, 1000, 740));
}

TEST_F(startup, TheDefaultGeometryGivesChildFramesOf891By621) {
    auto app = start_app();
    EXPECT_EQ(placed(app->main_frame()), QRect(10, 10, 1000, 740));
    EXPECT_EQ(app->main_frame()->windowTitle(), QString("Tone_Warp Extractor"));
    EXPECT_EQ(placed(app->doc_template().file_new()->frames().first()), QRect(10, 10, 891, 621));
}

TEST_F(startup, AStoredWidthOf50IsReplacedBy1000AndTheCreationHookKeepsEveryFieldInRange) {
    sys_param_t p;
    set_default_sys_param(p);
    p.main_win_x = 20;
    p.main_win_y = 30;
    p.main_win_w = 50;
    p.main_win_h = 600;
    write_file_bytes(sys_param_file_name, std::string(reinterpret_cast<const char*>(&p), sizeof p));
    auto app = start_app();
    EXPECT_EQ(placed(app->main_frame()), QRect(20, 30, 1000, 600));
    EXPECT_EQ(sys_param.main_win_w, 1000);
    EXPECT_EQ(app->doc_template().file_new()->frames().first()->size(), QSize(891, 495));

    p = {};
    p.main_win_x = -1;
    p.main_win_y = 4000;
    p.main_win_w = 99;
    p.main_win_h = 3999;
    EXPECT_EQ(CMainFrame::creation_rect(p), QRect(10, 10, 1000, 3999));
    EXPECT_EQ(QRect(p.main_win_x, p.main_win_y, p.main_win_w, p.main_win_h), QRect(10, 10, 1000, 3999));
}

TEST_F(startup, MovesAndResizesAreStoredWrittenAtExitAndUsedAtTheNextStart) {
    {
        auto app = start_app();
        app->main_frame()->move(40, 50);
        app->main_frame()->resize(1200, 820);
        process_events();
        EXPECT_EQ(
            QRect(sys_param.main_win_x, sys_param.main_win_y, sys_param.main_win_w, sys_param.main_win_h),
            QRect(40, 50, 1200, 820));
        EXPECT_EQ(stored_geometry(read_file_bytes(sys_param_file_name)).width(), 1000) << "not written yet";
    }
    EXPECT_EQ(stored_geometry(read_file_bytes(sys_param_file_name)), QRect(40, 50, 1200, 820));

    set_default_sys_param(sys_param);
    auto again = start_app();
    EXPECT_EQ(placed(again->main_frame()), QRect(40, 50, 1200, 820));
    EXPECT_EQ(again->doc_template().file_new()->frames().first()->size(), QSize(1071, 693));
}

TEST_F(startup, ExitClosesTheDocumentsWithoutAskingAndDestroyingTheFrameWritesTheSettings) {
    auto app = start_app();
    app->doc_template().file_new();
    app->main_frame()->resize(900, 700);
    std::filesystem::remove(sys_param_file_name);
    app->main_frame()->dispatch(cmd::ID_APP_EXIT);
    process_events();
    EXPECT_EQ(app->main_frame(), nullptr);
    EXPECT_TRUE(app->doc_template().documents().empty());
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(stored_geometry(read_file_bytes(sys_param_file_name)), QRect(10, 10, 900, 700));
}

TEST_F(startup, ASizeEnteredInTheFullParameterDialogSizesTheNextChildFrameButNotTheMainWindow) {
    auto app = start_app();
    on_next_modal([](QWidget* w) {
        auto* dlg = qobject_cast<CSysParamDlg*>(w);
        dlg->field(1027)->setText("1510");
        dlg->field(1028)->setText("1050");
        dlg->accept();
    });
    CSysParamDlg dlg(app->main_frame());
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(app->main_frame()->size(), QSize(1000, 740));
    EXPECT_EQ(app->doc_template().file_new()->frames().first()->size(), QSize(1350, 900));
}

}  // namespace
