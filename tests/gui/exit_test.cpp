// Leaving the program: the main frame goes while child frames are still open
// or are closed and only waiting for their deferred deletion.
#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <filesystem>

#include "app/gui/child_frame.h"
#include "app/gui/command_ids.h"
#include "tests/gui/gui_test_support.h"

namespace {

using namespace cmd;
using program_exit = gui_test;

TEST_F(program_exit, ExitWithClosedFramesStillAwaitingDeletionIsSafeAndSavesTheSettings) {
    auto app = start_app();
    ASSERT_NE(app, nullptr);
    CMainFrame* frame = app->main_frame();
    frame->dispatch(ID_FILE_NEW);
    frame->dispatch(ID_FILE_NEW);
    frame->dispatch(ID_FILE_NEW);
    ASSERT_EQ(frame->mdi_area()->subWindowList().size(), 3);
    // One window closed by hand: the frame is gone from the list, its object waits for the event loop.
    QPointer<CChildFrame> closed = frame->active_child();
    closed->close();
    ASSERT_FALSE(closed.isNull());
    // File > Exit closes the main frame (and with it the other two frames, deferred as well); the
    // application object then goes before the event loop could run the deferred deletions, as at the
    // end of main().
    frame->dispatch(ID_APP_EXIT);
    QPointer<CMainFrame> main = frame;
    std::filesystem::remove("Tonewarp.Inf");
    app.reset();
    EXPECT_TRUE(main.isNull());
    EXPECT_TRUE(closed.isNull());
    EXPECT_EQ(std::filesystem::file_size("Tonewarp.Inf"), 240u) << "the settings are written at exit";
}

}  // namespace
