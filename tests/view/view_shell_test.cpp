#include <gtest/gtest.h>

#include <QAction>
#include <QFocusEvent>
#include <QMdiArea>
#include <QTest>
#include <fstream>

#include "app/gui/active_view.h"
#include "app/gui/child_frame.h"
#include "app/gui/file_prompt.h"
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

// Answers the file dialogs in turn (an empty answer is a cancel) and keeps the
// names the save dialog suggested.
struct answered_files final : file_prompter {
    explicit answered_files(QStringList a) : answers(std::move(a)), scope(*this) {}
    QString open_file_name(QWidget*) override { return answers.isEmpty() ? QString() : answers.takeFirst(); }
    QString save_file_name(QWidget*, const QString& suggested) override {
        suggestions.append(suggested);
        return open_file_name(nullptr);
    }
    QStringList answers;
    QStringList suggestions;
    scoped_file_prompter scope;
};

TEST_F(view_in_shell, ARejectedFileIsReportedAsSoonAsItsWindowShowsAndItsSaveNeverOverwritesIt) {
    using namespace cmd;
    const std::string original = make_wave(100, [](int i) { return std::int16_t(i); }, 24);
    write_file_bytes("take24.wav", original);
    recording_presenter messages;
    answered_files files({"take24.wav", "take24.wav", "take24.wav", "", "rescued.wav"});
    CMainFrame* frame = app->main_frame();
    auto open_and_wait = [&] {
        frame->dispatch(ID_FILE_OPEN);
        QTest::qWait(50);  // the window shows and paints by itself; nothing forces a repaint
    };

    // Beside a maximised window, then cascaded, then as the only window.
    frame->active_child()->showMaximized();
    open_and_wait();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "読み込んだファイルが不正です!!　　");
    EXPECT_EQ(messages.captions[0], "確認");
    frame->dispatch(ID_WINDOW_CASCADE);
    open_and_wait();
    EXPECT_EQ(messages.texts.size(), 2u) << "every open of the file tells the user again";
    app->doc_template().close_all();
    QTest::qWait(20);
    open_and_wait();
    EXPECT_EQ(messages.texts.size(), 3u);
    auto* shown = qobject_cast<CTonewarpView*>(frame->active_view_widget());
    ASSERT_NE(shown, nullptr);
    full_repaint(*shown);
    QTest::qWait(20);
    EXPECT_EQ(messages.texts.size(), 3u) << "a later repaint does not ask again";

    // Save asks for a name, suggesting the file's; a cancel writes nothing.
    frame->dispatch(ID_FILE_SAVE);
    EXPECT_EQ(files.suggestions, QStringList({"take24.wav"}));
    EXPECT_EQ(read_file_bytes("take24.wav"), original);
    frame->dispatch(ID_FILE_SAVE);
    EXPECT_EQ(read_file_bytes("take24.wav"), original);
    EXPECT_EQ(read_file_bytes("rescued.wav").size(), 46u + 2048u);
}

}  // namespace
