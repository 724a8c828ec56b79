#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <clocale>
#include <cstring>
#include <memory>

#include "app/gui/command_ids.h"
#include "app/gui/ext_param_dlg.h"
#include "app/gui/part_name_dlg.h"
#include "app/gui/sys_param_dlg.h"
#include "app/gui/version_dlg.h"
#include "app/sys_param.h"
#include "document/tonewarp_doc.h"
#include "platform/sjis.h"
#include "tests/gui/gui_test_support.h"

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

QLineEdit* edit(QWidget* dlg, int id) { return dlg->findChild<QLineEdit*>(QString("ctl_%1").arg(id)); }
QLabel* label(QWidget* dlg, const QString& name) { return dlg->findChild<QLabel*>(name); }
void click_ok(QWidget* dlg) {
    QPushButton* ok = dlg->findChild<QPushButton*>("ctl_1");
    ASSERT_NE(ok, nullptr);
    QTest::mouseClick(ok, Qt::LeftButton);
}

// Shows a dialog without its own event loop and waits for its first paint.
template <class D>
void show_and_paint(D& dlg) {
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.first_painted(); }));
}

using dialogs = gui_test;

// ---- version box ----

TEST_F(dialogs, TheVersionBoxShowsTheIconAndTheVersionOverTheMainWindowAndClosesWithOk) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    bool seen = false;
    on_next_modal([&](QWidget* w) {
        seen = true;
        EXPECT_NE(qobject_cast<CVersionDlg*>(w), nullptr);
        EXPECT_EQ(w->windowTitle(), u("ﾊﾞｰｼﾞｮﾝ情報(Tonewarp)"));
        EXPECT_EQ(w->parentWidget(), frame);
        ASSERT_NE(label(w, "lbl_version"), nullptr);
        EXPECT_EQ(label(w, "lbl_version")->text(), QString("Tonewarp Version 1.03"));
        ASSERT_NE(label(w, "lbl_icon"), nullptr);
        EXPECT_FALSE(label(w, "lbl_icon")->pixmap().isNull());
        click_ok(w);
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(qobject_cast<QDialog*>(w)->result(), QDialog::Accepted);
    });
    frame->dispatch(cmd::ID_APP_ABOUT);
    EXPECT_TRUE(seen);
}

// ---- message boxes ----

TEST_F(dialogs, MessageBoxesAreTitledKakuninWithTheWarningIconOwnedByTheMainWindow) {
    auto app = start_app();
    qt_message_presenter real;
    scoped_message_presenter use_real(real);
    bool seen = false;
    on_next_modal([&](QWidget* w) {
        seen = true;
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), u("確認"));
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->text(), u("抽出範囲の指定が不正です!!　"));
        EXPECT_EQ(box->parentWidget(), app->main_frame());
        box->accept();
    });
    tw_message_box("抽出範囲の指定が不正です!!　");
    EXPECT_TRUE(seen);
}

// ---- extraction parameter dialog ----

TEST_F(dialogs, TheExtractionParameterDialogFillsItsFieldsOnItsFirstPaintOnly) {
    sys_param.part_max = 12;
    sys_param.min_vol_prm = 5000.0;
    sys_param.sim_snd_prm = 123456.789;
    CExtParamDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), u("抽出パラメータの設定"));
    EXPECT_EQ(label(&dlg, "lbl_1039")->text(), u("音楽パート抽出Max数  :"));
    EXPECT_EQ(label(&dlg, "lbl_1042")->text(), u("最小音量認識ﾊﾟﾗﾒｰﾀ  :"));
    EXPECT_EQ(label(&dlg, "lbl_1044")->text(), u("類似音判断用ﾊﾟﾗﾒｰﾀ  :"));
    EXPECT_TRUE(edit(&dlg, 1039)->text().isEmpty()) << "nothing before the first paint";
    EXPECT_FALSE(dlg.first_painted());

    sys_param.part_max = 16;  // the value at the first paint is the one shown
    show_and_paint(dlg);
    EXPECT_EQ(edit(&dlg, 1039)->text(), QString(" 16"));
    EXPECT_EQ(edit(&dlg, 1042)->text(), QString("    5000.000"));
    EXPECT_EQ(edit(&dlg, 1044)->text(), QString("  123456.789"));

    // Later paints leave what the user typed.
    edit(&dlg, 1039)->setText("20");
    dlg.repaint();
    EXPECT_EQ(edit(&dlg, 1039)->text(), QString("20"));
}

TEST_F(dialogs, TheExtractionParameterDialogReportsTheFirstFailingFieldAndStaysOpen) {
    CExtParamDlg dlg;
    show_and_paint(dlg);
    edit(&dlg, 1039)->setText("abc");
    edit(&dlg, 1042)->setText("499.9");
    edit(&dlg, 1044)->setText("1e9");
    const sys_param_t before = sys_param;

    click_ok(&dlg);
    edit(&dlg, 1039)->setText("257");
    click_ok(&dlg);
    edit(&dlg, 1039)->setText("256");
    click_ok(&dlg);
    edit(&dlg, 1042)->setText("500");
    click_ok(&dlg);
    EXPECT_EQ(messages_.texts(), QStringList({u("音楽パート抽出Max数の値が不正です!!　　"),
                                              u("音楽パート抽出Max数の値が不正です!!　　"),
                                              u("最小音量認識ﾊﾟﾗﾒｰﾀの値が不正です!!　　"),
                                              u("類似音判断用ﾊﾟﾗﾒｰﾀの値が不正です!!　　")}));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(std::memcmp(&before, &sys_param, sizeof sys_param), 0) << "nothing stored while a field fails";
    for (const shown_message& m : messages_.shown) EXPECT_EQ(m.caption, u("確認"));

    edit(&dlg, 1044)->setText("999999999");
    click_ok(&dlg);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(messages_.shown.size(), 4u) << "no closing message in this dialog";
    EXPECT_EQ(sys_param.part_max, 256);
    EXPECT_EQ(sys_param.min_vol_prm, 500.0);
    EXPECT_EQ(sys_param.sim_snd_prm, 999999999.0);

    // Cancel stores nothing.
    CExtParamDlg again;
    show_and_paint(again);
    edit(&again, 1039)->setText("100");
    QTest::mouseClick(again.findChild<QPushButton*>("ctl_2"), Qt::LeftButton);
    EXPECT_EQ(again.result(), QDialog::Rejected);
    EXPECT_EQ(sys_param.part_max, 256);
}

TEST_F(dialogs, TheExtractionParameterCommandOpensItsDialogOverTheMainWindow) {
    auto app = start_app();
    app->doc_template().file_new();
    bool seen = false;
    on_next_modal([&](QWidget* w) {
        seen = true;
        auto* dlg = qobject_cast<CExtParamDlg*>(w);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(w->parentWidget(), app->main_frame());
        EXPECT_EQ(edit(w, 1039)->text(), QString("  8"));
        edit(w, 1039)->setText("  3");
        click_ok(w);
    });
    app->main_frame()->dispatch(cmd::ID_EXT_PARAM);
    EXPECT_TRUE(seen);
    EXPECT_EQ(sys_param.part_max, 3);
}

// ---- full parameter dialog ----

TEST_F(dialogs, TheFullParameterDialogShowsEveryFieldChecksThemInOrderAndAnnouncesTheNextStart) {
    CSysParamDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), u("パラメータ設定"));
    show_and_paint(dlg);
    // Each field: label, value shown for the defaults, a wrong entry, a right one, the message.
    const struct {
        int id;
        const char *label, *shown, *wrong, *right, *message;
    } rows[] = {
        {1025, "ﾒｲﾝｳｲﾝﾄﾞｳの始点Ｘ :", "  10", "4000", "0", "ﾒｲﾝｳｲﾝﾄﾞｳの始点Ｘの値が不正です!!　　"},
        {1026, "ﾒｲﾝｳｲﾝﾄﾞｳの始点Ｙ :", "  10", "-1", "3999", "ﾒｲﾝｳｲﾝﾄﾞｳの始点Ｙの値が不正です!!　　"},
        {1027, "ﾒｲﾝｳｲﾝﾄﾞｳの巾   :", "1000", "99", "100", "ﾒｲﾝｳｲﾝﾄﾞｳの巾の値が不正です!!　　"},
        {1028, "ﾒｲﾝｳｲﾝﾄﾞｳの高さ :", " 740", "x", "3999", "ﾒｲﾝｳｲﾝﾄﾞｳの高さの値が不正です!!　　"},
        {1029, "システム使用フォントサイズ :", "12", "5", "6",
         "システム使用フォントサイズの値が不正です!!　　"},
        {1030, "システム使用フォント名称   :", "ＭＳ ゴシック", "abcd", "abcde",
         "システム使用フォント名称が不正です!!　　"},
        {1038, "音楽パート抽出Max数  :", "  8", "0", "1", "音楽パート抽出Max数の値が不正です!!　　"},
        {1031, "最小音量認識ﾊﾟﾗﾒｰﾀ  :", "    5000.000", "1e10", "999999999",
         "最小音量認識ﾊﾟﾗﾒｰﾀの値が不正です!!　　"},
        {1032, "類似音判断用ﾊﾟﾗﾒｰﾀ  :", "    3000.000", "", "500", "類似音判断用ﾊﾟﾗﾒｰﾀの値が不正です!!　　"},
        {1033, "設定パラメータ１ :", "  355632.475", "", "abc", nullptr},
        {1034, "設定パラメータ２ :", "     123.500", "", "123.5", nullptr},
        {1035, "設定パラメータ３ :", "     300.000", "", "2000", nullptr},
        {1036, "設定パラメータ４ :", "      32.375", "", "-1", nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.id);
        EXPECT_EQ(label(&dlg, QString("lbl_%1").arg(r.id))->text(), u(r.label));
        EXPECT_EQ(edit(&dlg, r.id)->text(), u(r.shown));
        edit(&dlg, r.id)->setText(u(r.message != nullptr ? r.wrong : r.right));
    }
    // Each OK reports the first wrong field, which is then put right.
    QStringList expected;
    for (const auto& r : rows) {
        if (r.message == nullptr) continue;
        click_ok(&dlg);
        expected.append(u(r.message));
        ASSERT_EQ(messages_.texts(), expected);
        ASSERT_TRUE(dlg.isVisible());
        ASSERT_EQ(sys_param.main_win_x, 10) << "nothing stored yet";
        edit(&dlg, r.id)->setText(u(r.right));
    }
    click_ok(&dlg);
    expected.append(u("フォントサイズやフォント名は次回起動時に有効になります!!　　"));
    EXPECT_EQ(messages_.texts(), expected);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(QRect(sys_param.main_win_x, sys_param.main_win_y, sys_param.main_win_w, sys_param.main_win_h),
              QRect(0, 3999, 100, 3999));
    EXPECT_EQ(sys_param.font_size, 6);
    EXPECT_STREQ(sys_param.font_name, "abcde");
    EXPECT_EQ(sys_param.part_max, 1);
    EXPECT_EQ(sys_param.set_prm1, 0.0) << "untested fields are read leniently";
    EXPECT_EQ(sys_param.set_prm3, 2000.0) << "no test against set_prm2 in the dialog";
    EXPECT_EQ(sys_param.set_prm4, -1.0);
    EXPECT_EQ(disp_font_size, 12) << "the font changes at the next start";
}

TEST_F(dialogs, AnUntouchedOkKeepsEveryParameterInAnyLocale) {
    // The second run of this program sets LC_ALL=de_DE.UTF-8; without that
    // locale Qt would fall back to "C" and the run would prove nothing.
    if (qEnvironmentVariableIsSet("TW_DECIMAL_COMMA_RUN")) {
        ASSERT_STREQ(std::localeconv()->decimal_point, ",")
            << "the locale de_DE.UTF-8 is missing: run scripts/install-deps.sh";
    }
    sys_param.min_vol_prm = 5000.125;
    sys_param.set_prm3 = 0.5;
    // A font name may end in a lone lead byte, which the field can only show as U+FFFD.
    std::memset(sys_param.font_name, 0, sizeof sys_param.font_name);
    std::memcpy(sys_param.font_name, "IPAGothic\x82", 10);
    const sys_param_t before = sys_param;
    CSysParamDlg dlg;
    show_and_paint(dlg);
    EXPECT_EQ(edit(&dlg, 1031)->text().toStdString(), "    5000.125");
    EXPECT_EQ(edit(&dlg, 1033)->text().toStdString(), "  355632.475");
    click_ok(&dlg);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(sys_param.set_prm1, 355632.475);
    EXPECT_EQ(sys_param.set_prm2, 123.5);
    EXPECT_EQ(sys_param.set_prm3, 0.5);
    EXPECT_EQ(sys_param.set_prm4, 32.375);
    EXPECT_EQ(std::memcmp(&before, &sys_param, sizeof sys_param), 0) << "every field as it was";
}

// ---- part-name dialog ----

class part_name : public gui_test {
   protected:
    part_name() {
        doc_ = std::make_unique<CTonewarpDoc>();
        set_name(0, "Part_001");
        set_name(1, "Part_002");
        set_name(2, "Total_Diff.");
        doc_->intPart_Cnt = 3;
        edit_.part_no = 1;
        std::strcpy(edit_.name, "Part_002");
    }
    ~part_name() override { doc_->intPart_Cnt = 0; }

    void set_name(int k, const std::string& cp932) {
        std::memset(doc_->prt_name[k], 0, 14);
        std::memcpy(doc_->prt_name[k], cp932.data(), std::min<std::size_t>(cp932.size(), 14));
    }
    // Types text into a fresh dialog and presses OK; returns the dialog's result.
    int rename_to(const QString& text) {
        CPartNameDlg dlg(*doc_, edit_);
        dlg.show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.first_painted(); }));
        edit(&dlg, 1007)->setText(text);
        click_ok(&dlg);
        const int r = dlg.isVisible() ? -1 : dlg.result();
        dlg.close();
        return r;
    }
    std::string buffer() const { return std::string(edit_.name); }

    std::unique_ptr<CTonewarpDoc> doc_;
    part_name_edit edit_;
};

TEST_F(part_name, TheFirstPaintShowsTheNameAndListsEveryPart) {
    CPartNameDlg dlg(*doc_, edit_);
    EXPECT_EQ(dlg.windowTitle(), u("音源パート名の編集"));
    EXPECT_EQ(label(&dlg, "ctl_1008")->text(), u("音源パート名(12文字まで) ："));
    EXPECT_EQ(label(&dlg, "ctl_1010")->text(), u("登録されているパート名"));
    EXPECT_EQ(label(&dlg, "ctl_1012")->text(), u("修正前の名称："));
    EXPECT_EQ(label(&dlg, "ctl_1011")->text(), QString("________"));
    auto* list = dlg.findChild<QListWidget*>("ctl_1009");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->count(), 0);
    EXPECT_NE(dlg.findChild<QPushButton*>("ctl_2"), nullptr);

    show_and_paint(dlg);
    EXPECT_EQ(edit(&dlg, 1007)->text(), QString("Part_002"));
    EXPECT_EQ(label(&dlg, "ctl_1011")->text(), QString("Part_002"));
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QString("Part_001"));
    EXPECT_EQ(list->item(1)->text(), QString("Part_002"));
    EXPECT_EQ(list->item(2)->text(), QString("Total_Diff."));
}

TEST_F(part_name, AnotherPartsNameIsRefusedAndTheDialogStaysOpen) {
    EXPECT_EQ(rename_to("Part_001"), -1);
    EXPECT_EQ(messages_.texts(), QStringList({u("その名称は既に使用されています!!　　")}));
    EXPECT_EQ(buffer(), "Part_002");
    // Only the first 12 bytes count: a longer name equal in them is taken too.
    set_name(0, "ABCDEFGHIJKLM");
    EXPECT_EQ(rename_to("ABCDEFGHIJKLxyz"), -1);
    EXPECT_EQ(messages_.shown.size(), 2u);

    // Cancel leaves the name alone.
    CPartNameDlg dlg(*doc_, edit_);
    show_and_paint(dlg);
    edit(&dlg, 1007)->setText("Other");
    QTest::mouseClick(dlg.findChild<QPushButton*>("ctl_2"), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(buffer(), "Part_002");
}

TEST_F(part_name, NamesAreCutAfterTheTwelfthByteEvenInsideACharacter) {
    EXPECT_EQ(rename_to(u("バイオリン主旋")), QDialog::Accepted);  // seven full-width characters keep six
    EXPECT_EQ(buffer(), utf8_to_cp932("バイオリン主"));
    EXPECT_EQ(rename_to(u("Drums_left_音")), QDialog::Accepted);  // the 12th byte is a lead byte
    const std::string b = buffer();
    ASSERT_EQ(b.size(), 12u);
    EXPECT_EQ(b.substr(0, 11), "Drums_left_");
    EXPECT_TRUE(is_cp932_lead_byte(static_cast<unsigned char>(b[11])));
    EXPECT_EQ(b[11], utf8_to_cp932("音")[0]);
}

TEST_F(part_name, AnUneditedNameKeepsItsBytesEvenWhenItEndsInALoneLeadByte) {
    const std::string lone = "Drums_left_\x89";  // 12 bytes, the last a lead byte the field cannot show
    set_name(0, "Drums_left_?");                  // what reading the field's stand-in back would give
    set_name(1, lone);
    std::memset(edit_.name, 0, sizeof edit_.name);
    std::memcpy(edit_.name, lone.data(), lone.size());
    CPartNameDlg dlg(*doc_, edit_);
    show_and_paint(dlg);
    click_ok(&dlg);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(messages_.shown.empty()) << "compared by its own bytes, not taken";
    EXPECT_EQ(buffer(), lone);
    EXPECT_EQ(rename_to("Drums_left_X"), QDialog::Accepted) << "an edited name is what was typed";
    EXPECT_EQ(buffer(), "Drums_left_X");
}

TEST_F(part_name, ThePartsOwnNameNewNamesAndAnEmptyNameAreAcceptedWhenNoOtherPartHasThem) {
    EXPECT_EQ(rename_to("Part_002"), QDialog::Accepted);
    EXPECT_EQ(rename_to("Violin"), QDialog::Accepted);
    EXPECT_EQ(buffer(), "Violin");
    EXPECT_EQ(rename_to(""), QDialog::Accepted);
    EXPECT_EQ(buffer(), "");
    EXPECT_TRUE(messages_.shown.empty());
    set_name(2, "");
    std::strcpy(edit_.name, "Part_002");
    EXPECT_EQ(rename_to(""), -1);
    EXPECT_EQ(buffer(), "Part_002");
}

TEST_F(part_name, TheDialogRunsOnTheViewThatLastHadTheFocus) {
    EXPECT_EQ(run_part_name_dlg(nullptr), QDialog::Rejected) << "no view has had the focus";
    QWidget view;
    set_active_view(&view, doc_.get(), &edit_);
    on_next_modal([](QWidget* w) {
        EXPECT_EQ(edit(w, 1007)->text(), QString("Part_002"));
        edit(w, 1007)->setText("Bass");
        click_ok(w);
    });
    EXPECT_EQ(run_part_name_dlg(nullptr), QDialog::Accepted);
    EXPECT_EQ(buffer(), "Bass");
    clear_active_view(&view);
    EXPECT_EQ(active_doc(), nullptr);
}

}  // namespace
