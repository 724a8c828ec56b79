#include <gtest/gtest.h>

#include <QFont>
#include <QFontInfo>
#include <QLabel>

#include "app/gui/font_subst.h"
#include "app/gui/sys_param_dlg.h"
#include "app/sys_param.h"
#include "platform/sjis.h"

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

bool is_ipa(const QString& family) { return family.startsWith("IPA"); }

TEST(font_substitution, TheWindowsJapaneseFaceNamesAndTheSettingsDefaultResolveToTheIpaFonts) {
    for (const char* name : {"ＭＳ ゴシック", "MS Gothic", "ＭＳ Ｐゴシック", "MS UI Gothic", "ＭＳ 明朝"}) {
        EXPECT_TRUE(is_ipa(QFontInfo(QFont(u(name), 12)).family())) << name;
    }
    EXPECT_TRUE(font_substitutes_for("Arial").isEmpty());
    // The settings file holds the name in CP932; the view builds its font from it.
    const QString name = QString::fromStdString(cp932_to_utf8(default_font_name_cp932));
    EXPECT_EQ(QFontInfo(QFont(name, 12)).family(), QString("IPAGothic"));
}

TEST(font_substitution, DialogLabelsUseAnIpaFaceThatHasEveryGlyphOfTheirText) {
    set_default_sys_param(sys_param);
    CSysParamDlg dlg;
    QLabel* label = dlg.findChild<QLabel*>("lbl_1029");
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(is_ipa(QFontInfo(label->font()).family()));

    // Every character of the label has a glyph in the face (no boxes).
    QFontMetrics fm(label->font());
    for (QChar c : label->text()) EXPECT_TRUE(fm.inFont(c)) << static_cast<int>(c.unicode());
}

}  // namespace
