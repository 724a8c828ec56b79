#include <gtest/gtest.h>

#include <QAction>
#include <QFocusEvent>
#include <fstream>

#include "app/gui/active_view.h"
#include "app/gui/command_ids.h"
#include "app/gui/frame_menus.h"
#include "app/gui/main_frame.h"
#include "app/gui/tonewarp_app.h"
#include "tests/support/test_dir.h"
#include "view_fixture.h"

namespace {

// The program's start-up with the recording view, in a scratch directory.
struct view_in_shell : in_test_dir {
    std::unique_ptr<CTonewarpApp> app;
    CTonewarpView* view = nullptr;

    void SetUp() override {
        test_app();
        app = std::make_unique<CTonewarpApp>(
            [](doc_entry& d) -> QWidget* { return new CTonewarpView(&d.doc()); });
        ASSERT_TRUE(app->init_instance({"tonewarp"}));
        write_file_bytes("rec.wav", make_wave(3000, [](int i) { return std::int16_t(i); }));
        ASSERT_NE(app->doc_template().open_document_file("rec.wav"), nullptr);
        QApplication::processEvents();
        view = qobject_cast<CTonewarpView*>(app->main_frame()->active_view_widget());
        ASSERT_NE(view, nullptr);
        view->repaint();
    }
    void TearDown() override {
        // Frames close first (their deletion is deferred), then the application goes.
        if (app && app->main_frame() != nullptr) app->doc_template().close_all();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        app.reset();
    }
    QString text(int id) const { return app->main_frame()->menus().action(id)->text(); }
    void focus() {
        QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
        QApplication::sendEvent(view, &in);
    }
};

TEST_F(view_in_shell, TheViewCoversTheWholeRecordingAndFocusMakesItActiveWithItsMenuTexts) {
    ASSERT_TRUE(view->initialised());
    EXPECT_EQ(view->disp().data_cnt, 3000);
    EXPECT_EQ(view->GetDocument()->extr_end_ptr, 2999) << "no marks: the range is the whole recording";
    EXPECT_EQ(view->GetDocument()->extr_dt_cnt, 3000);
    clear_active_view(view);
    set_active_view(nullptr, nullptr, nullptr);
    focus();
    EXPECT_EQ(active_view(), view);
    EXPECT_EQ(active_doc(), view->GetDocument());
    EXPECT_EQ(active_part_name_edit(), &view->name_edit());
    EXPECT_EQ(text(cmd::ID_EXTRACT), QString::fromUtf8("音源パートの抽出(&X)"));
    EXPECT_EQ(text(cmd::ID_EXT_START), QString::fromUtf8("抽出開始位置の設定(&S)"));
    EXPECT_EQ(text(cmd::ID_EXT_END), QString::fromUtf8("抽出終了位置の設定(&E)"));
    EXPECT_EQ(text(cmd::ID_DISP_MODE), QString::fromUtf8("周波数解析表示モード(&M)"));

    view->extr().extr_stat = 2;
    view->disp().stt_mark.set = 1;
    view->disp().end_mark.set = 1;
    view->disp().disp_mode = disp_mode_freq;
    focus();
    EXPECT_EQ(text(cmd::ID_EXTRACT), QString::fromUtf8("抽出処理の中断(&X)"));
    EXPECT_EQ(text(cmd::ID_EXT_START), QString::fromUtf8("抽出開始位置の解除(&S)"));
    EXPECT_EQ(text(cmd::ID_EXT_END), QString::fromUtf8("抽出終了位置の解除(&E)"));
    EXPECT_EQ(text(cmd::ID_DISP_MODE), QString::fromUtf8("通常表示モード(&M)"));
    view->extr().extr_stat = 0;
}

TEST_F(view_in_shell, ClosingTheDocumentUnregistersItsView) {
    focus();
    ASSERT_EQ(active_view(), view);
    app->doc_template().close_all();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_EQ(active_view(), nullptr);
}

}  // namespace
