#include "tests/gui/gui_test_support.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "app/sys_param.h"

QStringList recording_presenter::texts() const {
    QStringList t;
    for (const shown_message& m : shown) t.append(m.text);
    return t;
}

gui_test::gui_test() : message_scope_(messages_), file_scope_(files_) {
    const QString profile = QString::fromStdString((dir_.path() / "profile").string());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile);
    set_default_sys_param(sys_param);
}

gui_test::~gui_test() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) w->close();
    }
    process_events();
}

void on_next_modal(std::function<void(QWidget*)> body) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [body, poll] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            QTimer::singleShot(5, *poll);
            return;
        }
        (void)QTest::qWaitForWindowExposed(modal);
        QCoreApplication::processEvents();
        body(modal);
        if (auto* dlg = qobject_cast<QDialog*>(modal); dlg != nullptr && dlg->isVisible()) dlg->reject();
        *poll = nullptr;  // breaks the self-reference
    };
    QTimer::singleShot(0, *poll);
}

void process_events() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

std::string wave_bytes(const std::vector<std::pair<short, short>>& frames) {
    std::string b;
    auto u32 = [&b](std::uint32_t v) {
        for (int k = 0; k < 4; ++k) b.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    };
    auto u16 = [&b](std::uint16_t v) {
        b.push_back(static_cast<char>(v & 0xFF));
        b.push_back(static_cast<char>(v >> 8));
    };
    const std::uint32_t data = static_cast<std::uint32_t>(frames.size() * 4);
    b += "RIFF";
    u32(36 + data);
    b += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(2);
    u32(44100);
    u32(176400);
    u16(4);
    u16(16);
    b += "data";
    u32(data);
    for (const auto& [l, r] : frames) {
        u16(static_cast<std::uint16_t>(l));
        u16(static_cast<std::uint16_t>(r));
    }
    return b;
}
