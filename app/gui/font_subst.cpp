#include "app/gui/font_subst.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>

namespace {

// Fixed-pitch (gothic) and proportional (P gothic) faces of the IPA fonts.
const QStringList gothic = {"IPAGothic", "IPAゴシック", "IPAexGothic", "Noto Sans Mono CJK JP"};
const QStringList pgothic = {"IPAPGothic", "IPA Pゴシック", "IPAexGothic", "Noto Sans CJK JP"};
const QStringList mincho = {"IPAMincho", "IPA明朝", "IPAexMincho", "IPAGothic"};
const QStringList pmincho = {"IPAPMincho", "IPA P明朝", "IPAexMincho", "IPAPGothic"};

struct mapping {
    const char* name;
    const QStringList* faces;
};

// Windows names, in their Japanese and their Latin spellings.
const mapping mappings[] = {
    {"ＭＳ ゴシック", &gothic}, {"MS Gothic", &gothic},     {"ＭＳ Ｐゴシック", &pgothic},
    {"MS PGothic", &pgothic},   {"MS UI Gothic", &pgothic}, {"メイリオ", &pgothic},
    {"Meiryo", &pgothic},       {"Meiryo UI", &pgothic},    {"ＭＳ 明朝", &mincho},
    {"MS Mincho", &mincho},     {"ＭＳ Ｐ明朝", &pmincho},  {"MS PMincho", &pmincho},
    {"System", &gothic},        {"Terminal", &gothic},      {"FixedSys", &gothic},
};

// Font files of the IPA package; registered with the application in case
// the desktop's font configuration does not list them.
const char* ipa_dirs[] = {"/usr/share/fonts/opentype/ipafont-gothic",
                          "/usr/share/fonts/truetype/ipafont-gothic",
                          "/usr/share/fonts/opentype/ipafont-mincho"};

}  // namespace

QStringList font_substitutes_for(const QString& windows_name) {
    for (const mapping& m : mappings) {
        if (windows_name == QString::fromUtf8(m.name)) return *m.faces;
    }
    return {};
}

void install_font_substitutions() {
    static bool done = false;
    if (done) return;
    done = true;
    const QStringList families = QFontDatabase::families();
    bool have_ipa = families.contains("IPAGothic");
    if (!have_ipa) {
        for (const char* dir : ipa_dirs) {
            const QDir d(QString::fromUtf8(dir));
            for (const QString& f : d.entryList({"*.ttf", "*.otf"}, QDir::Files)) {
                QFontDatabase::addApplicationFont(d.filePath(f));
            }
        }
    }
    for (const mapping& m : mappings) {
        QFont::insertSubstitutions(QString::fromUtf8(m.name), *m.faces);
    }
}

QString default_ui_family() { return QString::fromUtf8("ＭＳ ゴシック"); }

void apply_ui_font() { QApplication::setFont(QFont(default_ui_family(), 9)); }
