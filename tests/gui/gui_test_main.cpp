// Entry point of the GUI test programs: one Qt application for all tests,
// with the Japanese font substitution the program installs.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/gui/font_subst.h"
#include "app/gui/tonewarp_app.h"

namespace {

// The offscreen platform warns about every window feature it lacks (raise,
// keyboard grabs, size hints); those lines would bury the test output.
QtMessageHandler qt_default_handler = nullptr;

void quiet_platform_notes(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
    if (type == QtWarningMsg && msg.startsWith("This plugin does not support")) return;
    qt_default_handler(type, ctx, msg);
}

}  // namespace

int main(int argc, char** argv) {
    qt_default_handler = qInstallMessageHandler(quiet_platform_notes);
    // Headless when started by hand, as under ctest.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    install_font_substitutions();
    apply_ui_font();
    init_tw_resources();
    return RUN_ALL_TESTS();
}
