// tw_view_screenshot: a developer tool that starts the program's main window
// with the recording view, opens one WAVE file, saves a picture of the
// window as opened, runs an extraction over the whole recording through the
// engine (the batches the timer would run, one after the other), finishes
// it the way the view does, and saves a second picture.
//
//   tw_view_screenshot FILE.wav OPENED.png EXTRACTED.png [WIDTH HEIGHT]
//
// Run it under a virtual X server (xvfb-run) from a scratch directory: it
// reads and writes the settings and log files there, like the program.
#include <QApplication>
#include <QElapsedTimer>
#include <QMdiSubWindow>
#include <QPixmap>
#include <cstdio>

#include "app/gui/child_frame.h"
#include "app/gui/doc_template.h"
#include "app/gui/font_subst.h"
#include "app/gui/main_frame.h"
#include "app/gui/tonewarp_app.h"
#include "document/tonewarp_doc.h"
#include "engine/extr_engine_steps.h"
#include "engine/extr_run.h"
#include "view/tonewarp_view.h"

namespace {

// Lets the window system show what was drawn.
void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget* w, const QString& path) {
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "could not save", path.toLocal8Bit().constData());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qt_app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 4 && args.size() != 6) {
        std::fprintf(stderr, "usage: tw_view_screenshot FILE.wav OPENED.png EXTRACTED.png [WIDTH HEIGHT]\n");
        return 2;
    }
    install_font_substitutions();
    apply_ui_font();

    CTonewarpApp app([](doc_entry& d) -> QWidget* { return new CTonewarpView(&d.doc()); });
    if (!app.init_instance({args[0]})) return 1;
    CMainFrame* frame = app.main_frame();
    if (args.size() == 6) frame->resize(args[4].toInt(), args[5].toInt());
    doc_entry* entry = app.doc_template().open_document_file(args[1]);
    if (entry == nullptr) return 1;
    settle(300);
    auto* view = qobject_cast<CTonewarpView*>(frame->active_view_widget());
    if (view == nullptr) return 1;
    // The child frame fills the main window so that the part list has room.
    if (auto* child = frame->active_child()) child->showMaximized();
    settle(500);
    if (!save(frame, args[2])) return 1;

    // The whole recording, as the view's range gives it without marks.
    CTonewarpDoc& doc = entry->doc();
    extr_state& st = view->extr();
    view->calc_ext_range();
    extr_engine_steps steps;
    const long ticks = run_extraction(st, doc, steps);
    std::printf("ticks: %ld, parts: %d\n", ticks, doc.intPart_Cnt);

    // The view's end of a run: layout for the expanded parts, a fresh
    // part-list bar, then the frame and the values repainted.
    view->set_disp_rect();
    view->destroy_part_scroll();
    view->create_part_scroll();
    view->request_full_repaint();
    settle(500);
    return save(frame, args[3]) ? 0 : 1;
}
