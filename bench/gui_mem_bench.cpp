// Resident size of the application over repeated open - extract - close
// cycles in one process: the main window on the offscreen platform opens a
// recording, its view runs a whole extraction (the timer's batches called
// one after another), then the document is closed. After each cycle prints
//   cycle <i> parts <parts registered> rss_mb <MB>
// and at the end
//   growth_mb <MB>
// the change of the resident size from the middle cycle to the last (the
// first cycles also fill the C library's and Qt's caches, which later
// cycles reuse).
//
// usage: gui_mem_bench CYCLES FILE
#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "app/gui/command_ids.h"
#include "app/gui/doc_template.h"
#include "app/gui/main_frame.h"
#include "app/gui/tonewarp_app.h"
#include "view/tonewarp_view.h"

namespace {

double rss_mb() {
    std::ifstream in("/proc/self/statm");
    long long size = 0, resident = 0;
    in >> size >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

// One cycle; false when the recording did not open or no view came up.
// parts: the parts the run left.
bool cycle(CTonewarpApp& app, const QString& file, int& parts) {
    if (app.doc_template().open_document_file(file) == nullptr) return false;
    settle();
    auto* view = qobject_cast<CTonewarpView*>(app.main_frame()->active_view_widget());
    if (view == nullptr) return false;
    view->repaint();
    app.main_frame()->dispatch(cmd::ID_EXTRACT);
    // The timer's batches back to back, each followed by the window's own events.
    for (long tick = 0; view->extr().extr_stat != 0 && tick < 100000000L; ++tick) {
        view->on_timer_tick();
        if (tick % 64 == 0) QApplication::processEvents();
    }
    parts = view->GetDocument() != nullptr ? view->GetDocument()->intPart_Cnt : 0;
    app.doc_template().close_all();
    settle();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || std::atoi(argv[1]) < 2) {
        std::fprintf(stderr, "usage: gui_mem_bench CYCLES FILE (CYCLES >= 2)\n");
        return 2;
    }
    const int cycles = std::atoi(argv[1]);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    static int qargc = 1;
    static char name[] = "tonewarp";
    static char* qargv[] = {name, nullptr};
    QApplication qapp(qargc, qargv);
    auto app = std::make_unique<CTonewarpApp>([](doc_entry& d) -> QWidget* { return new CTonewarpView(&d.doc()); });
    if (!app->init_instance({"tonewarp"})) {
        std::fprintf(stderr, "gui_mem_bench: the application did not start\n");
        return 1;
    }
    app->main_frame()->resize(1600, 1000);
    const QString file = QString::fromLocal8Bit(argv[2]);
    double middle = 0.0, last = 0.0;
    for (int i = 1; i <= cycles; ++i) {
        int parts = 0;
        if (!cycle(*app, file, parts)) {
            std::fprintf(stderr, "gui_mem_bench: cycle %d: %s did not open\n", i, argv[2]);
            return 1;
        }
        last = rss_mb();
        if (i <= (cycles + 1) / 2) middle = last;
        std::printf("cycle %d parts %d rss_mb %.1f\n", i, parts, last);
        std::fflush(stdout);
    }
    std::printf("growth_mb %.1f\n", last - middle);
    app.reset();
    return 0;
}
