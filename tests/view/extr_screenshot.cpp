// tw_extr_screenshot: a developer tool that starts the program's main window
// with the recording view, opens one WAVE file, starts an extraction from
// the menu command and saves a picture of the window while the run is in
// progress (the progress bar in the control line), once the analysis has
// passed the given share of the range; then lets the run finish.
//
//   tw_extr_screenshot FILE.wav RUNNING.png [WIDTH HEIGHT [PERCENT]]
//
// Run it under a virtual X server (xvfb-run) from a scratch directory: it
// reads and writes the settings and log files there, like the program.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "app/gui/child_frame.h"
#include "app/gui/command_ids.h"
#include "app/gui/doc_template.h"
#include "app/gui/font_subst.h"
#include "app/gui/main_frame.h"
#include "app/gui/tonewarp_app.h"
#include "view/tonewarp_view.h"
#include "view/view_control.h"

namespace {

// Runs the event loop (timer 1 included) for ms milliseconds, or until done() holds.
template <class F>
void settle(int ms, F done) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms && !done()) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qt_app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3 && args.size() != 5 && args.size() != 6) {
        std::fprintf(stderr, "usage: tw_extr_screenshot FILE.wav RUNNING.png [WIDTH HEIGHT [PERCENT]]\n");
        return 2;
    }
    install_font_substitutions();
    apply_ui_font();

    CTonewarpApp app([](doc_entry& d) -> QWidget* { return new CTonewarpView(&d.doc()); });
    if (!app.init_instance({args[0]})) return 1;
    CMainFrame* frame = app.main_frame();
    if (args.size() >= 5) frame->resize(args[3].toInt(), args[4].toInt());
    const int percent = args.size() == 6 ? args[5].toInt() : 40;
    if (app.doc_template().open_document_file(args[1]) == nullptr) return 1;
    settle(300, [] { return false; });
    auto* view = qobject_cast<CTonewarpView*>(frame->active_view_widget());
    if (view == nullptr) return 1;
    if (auto* child = frame->active_child()) child->showMaximized();
    settle(500, [] { return false; });

    frame->dispatch(cmd::ID_EXTRACT);
    const extr_state& ex = view->extr();
    auto passed = [&] {
        return ex.extr_stat != 2 || static_cast<long long>(ex.anlz_ptr - ex.anlz_stt_ptr) * 100 >=
                                        static_cast<long long>(percent) * ex.anlz_len;
    };
    settle(600000, passed);
    // One more progress repaint (every fourth tick) so the bar shows where the run is.
    const int tick = view->control().extr().tick_cnt();
    settle(1000, [&] { return view->control().extr().tick_cnt() >= tick + 4 || ex.extr_stat != 2; });
    if (ex.extr_stat != 2) {
        std::fprintf(stderr, "the run ended before the picture; try a longer recording\n");
        return 1;
    }
    const bool ok = frame->grab().save(args[2]);
    std::printf("%s %s at %d of %d frames\n", ok ? "saved" : "could not save",
                args[2].toLocal8Bit().constData(), ex.anlz_ptr - ex.anlz_stt_ptr, ex.anlz_len);
    settle(600000, [&] { return ex.extr_stat == 0; });
    return ok ? 0 : 1;
}
