// The program tonewarp: the Qt application, the Japanese font substitution,
// the application object with the recording view, and the event loop.
//
// The program takes no options; a file named on the command line is not
// opened. It reads and writes "Tonewarp.Inf" and "Err_Log.Lst" in the
// current working directory.
#include <QApplication>

#include <clocale>

#include "app/gui/doc_template.h"
#include "app/gui/font_subst.h"
#include "app/gui/tonewarp_app.h"
#include "view/tonewarp_view.h"

int main(int argc, char** argv) {
    QApplication qt_app(argc, argv);
    // QApplication has set the C library's locale from the environment. The
    // program's own formatting and reading already use the C locale; this
    // keeps "." as the decimal point for any plain printf or strtod as well.
    std::setlocale(LC_NUMERIC, "C");
    install_font_substitutions();
    apply_ui_font();

    // The view of every child frame.
    CTonewarpApp app([](doc_entry& doc) -> QWidget* { return new CTonewarpView(&doc.doc()); });
    if (!app.init_instance(QApplication::arguments())) return 1;
    return QApplication::exec();
}
