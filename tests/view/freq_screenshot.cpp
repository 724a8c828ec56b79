// tw_freq_screenshot: a developer tool that starts the program's main
// window with the recording view, opens one WAVE file, switches the view to
// the frequency analysis display through its menu command and saves a
// picture; then types the sequence of the difference scale into the view
// and saves a second picture.
//
//   tw_freq_screenshot FILE.wav LEVEL.png DIFFERENCE.png [WIDTH HEIGHT]
//
// Run it under a virtual X server (xvfb-run) from a scratch directory: it
// reads and writes the settings and log files there, like the program.
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <cstdio>

#include "app/gui/child_frame.h"
#include "app/gui/command_ids.h"
#include "app/gui/doc_template.h"
#include "app/gui/font_subst.h"
#include "app/gui/main_frame.h"
#include "app/gui/tonewarp_app.h"
#include "view/tonewarp_view.h"

namespace {

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget* w, const QString& path) {
    const bool ok = w->grab().save(path, "PNG", 0);  // smallest file
    std::printf("%s %s\n", ok ? "saved" : "could not save", path.toLocal8Bit().constData());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qt_app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 4 && args.size() != 6) {
        std::fprintf(stderr, "usage: tw_freq_screenshot FILE.wav LEVEL.png DIFFERENCE.png [WIDTH HEIGHT]\n");
        return 2;
    }
    install_font_substitutions();
    apply_ui_font();

    CTonewarpApp app([](doc_entry& d) -> QWidget* { return new CTonewarpView(&d.doc()); });
    if (!app.init_instance({args[0]})) return 1;
    CMainFrame* frame = app.main_frame();
    if (args.size() == 6) frame->resize(args[4].toInt(), args[5].toInt());
    if (app.doc_template().open_document_file(args[1]) == nullptr) return 1;
    settle(300);
    auto* view = qobject_cast<CTonewarpView*>(frame->active_view_widget());
    if (view == nullptr) return 1;
    if (auto* child = frame->active_child()) child->showMaximized();
    settle(500);

    frame->dispatch(cmd::ID_DISP_MODE);
    settle(500);
    if (!save(frame, args[2])) return 1;

    for (char c : std::string("Xq0Julie")) view->on_char(c);
    settle(500);
    return save(frame, args[3]) ? 0 : 1;
}
