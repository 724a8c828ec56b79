// Japanese font names of the settings file resolved to the fonts shipped
// with the program.
//
// The settings block names its display font the way a Japanese Windows
// desktop does ("ＭＳ ゴシック" by default). Those faces are not on a Linux
// desktop; the IPA Gothic fonts (package fonts-ipafont-gothic) have the same
// metrics design (full-width characters twice the half-width ones), so the
// common Windows names are mapped onto them as font substitutions, and the
// application's own font is the default display face.
#pragma once

#include <QString>
#include <QStringList>

// Registers the substitutions (idempotent). Call once after QApplication.
void install_font_substitutions();

// The families a Windows name is substituted by, best first (empty when the
// name is not one of the mapped ones).
QStringList font_substitutes_for(const QString& windows_name);

// The family the program uses for its windows and dialogs.
QString default_ui_family();

// Makes "ＭＳ ゴシック" at 9 points the application's font.
void apply_ui_font();
