// tw_screenshot: a developer tool that starts the application's main window
// as the program does, opens the WAVE files named on its command line (or
// two new documents when none are named), tiles them and saves a picture of
// the main window.
//
//   tw_screenshot OUT.png [FILE.wav ...]
//
// Run it under a virtual X server (xvfb-run) from a scratch directory: it
// reads and writes the settings and log files there, like the program.
#include <QApplication>
#include <QMdiArea>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/gui/command_ids.h"
#include "app/gui/doc_template.h"
#include "app/gui/font_subst.h"
#include "app/gui/main_frame.h"
#include "app/gui/tonewarp_app.h"
#include "view/tonewarp_view.h"

int main(int argc, char** argv) {
    QApplication qt_app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tw_screenshot OUT.png [FILE.wav ...]\n");
        return 2;
    }
    install_font_substitutions();
    apply_ui_font();

    CTonewarpApp app([](doc_entry& doc) -> QWidget* { return new CTonewarpView(&doc.doc()); });
    if (!app.init_instance({args[0]})) return 1;
    CMainFrame* frame = app.main_frame();
    if (args.size() > 2) {
        for (qsizetype i = 2; i < args.size(); ++i) app.doc_template().open_document_file(args[i]);
    } else {
        app.doc_template().file_new();
        app.doc_template().file_new();
    }
    frame->dispatch(cmd::ID_WINDOW_TILE_HORZ);

    int rc = 1;
    QTimer::singleShot(500, [&] {
        rc = frame->grab().save(args[1]) ? 0 : 1;
        QApplication::quit();
    });
    QApplication::exec();
    return rc;
}
