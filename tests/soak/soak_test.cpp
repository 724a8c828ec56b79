// Seeded random use of the real main window with the recording view over a
// 1.5 s recording made by sox: clicks, keys, typed sequences, menu commands
// (extraction and its abort among them), playback, new windows, closing and
// opening, dialogs answered OK or Cancel. The program must neither crash nor
// leak (the sanitizer build checks both), and no document's original samples
// may change. Every seed prints itself and what its events did.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/gui/doc_template.h"
#include "app/gui/main_frame.h"
#include "app/sys_param.h"
#include "tests/gui/gui_test_support.h"
#include "tests/soak/soak_driver.h"
#include "view/tonewarp_view.h"

namespace {

constexpr int events_per_seed = 5000;
// Events between two waits of the event loop; the 100 ms timers (extraction
// batches, playback) fire in those waits and inside every open dialog.
constexpr int events_per_turn = 4;

bool make_recording(const char* name) {
    // A plucked note on the left and, 0.6 s later, another on the right:
    // onsets to find and decaying parts to carry forward.
    const std::string cmd = std::string("sox -n -r 44100 -b 16 -c 2 ") + name +
                            " synth 1.5 pluck 220 pluck 330 delay 0 0.6 trim 0 1.5 vol 0.6 2>/dev/null";
    return std::system(cmd.c_str()) == 0;
}

std::unique_ptr<CTonewarpApp> start_with_view() {
    auto app =
        std::make_unique<CTonewarpApp>([](doc_entry& d) -> QWidget* { return new CTonewarpView(&d.doc()); });
    if (!app->init_instance({"tonewarp"})) return nullptr;
    return app;
}

class gui_soak : public gui_test, public ::testing::WithParamInterface<std::uint32_t> {
   protected:
    void TearDown() override {
        if (app && app->main_frame() != nullptr) app->doc_template().close_all();
        process_events();
        app.reset();
        process_events();
    }
    std::unique_ptr<CTonewarpApp> app;
};

TEST_P(gui_soak, RandomUseNeverChangesTheOriginalSamplesNorBreaksTheProgram) {
    if (std::system("sox --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox is not installed";
    ASSERT_TRUE(make_recording("rec.wav"));
    app = start_with_view();
    ASSERT_NE(app, nullptr);
    const std::uint32_t seed = GetParam();
    std::cout << "soak seed " << seed << ", " << events_per_seed << " events\n";

    QElapsedTimer t;
    t.start();
    soak_driver drv(*app, files_, seed, "rec.wav");
    EXPECT_TRUE(drv.run(events_per_seed, events_per_turn)) << drv.why() << " (seed " << seed << ")";
    // Runs still going end under the timer; the originals are checked once more.
    drv.settle(20000);
    EXPECT_TRUE(drv.check_originals()) << drv.why() << " (seed " << seed << ")";

    const soak_counts& c = drv.counts();
    EXPECT_EQ(c.events, events_per_seed);
    std::cout << "seed " << seed << ": " << c.events << " events in " << t.elapsed() << " ms; " << c.opens
              << " opens, " << c.extractions_started << " extractions started, " << c.runs_finished
              << " runs ended, " << c.dialogs_ok << " dialogs OK, " << c.dialogs_cancel << " cancelled, "
              << c.popup_choices << " menu choices, " << messages_.shown.size() << " message boxes, "
              << c.hash_checks << " hash checks\n";
    for (const auto& [kind, n] : c.by_kind) std::cout << "  " << kind << ": " << n << "\n";
    // The mix must have reached the program's main paths, or the soak proves little.
    EXPECT_GT(c.opens, 0);
    EXPECT_GT(c.extractions_started, 0);
    EXPECT_GT(c.runs_finished, 0);
    EXPECT_GT(c.dialogs_ok + c.dialogs_cancel, 0);
}

// Four fixed seeds of 5000 events each: 20000 events per run of the suite.
INSTANTIATE_TEST_SUITE_P(seeds, gui_soak, ::testing::Values(20240601u, 7u, 31337u, 900001u));

}  // namespace
