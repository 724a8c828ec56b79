#include "tests/gui/gui_test_support.h"

#include <QApplication>
#include <QDialog>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "app/gui/placeholder_view.h"
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
    for (QWidget* w : QApplication::topLevelWidgets()) w->close();
    process_events();
}

std::unique_ptr<CTonewarpApp> start_app(const QStringList& args) {
    auto app =
        std::make_unique<CTonewarpApp>([](doc_entry& d) -> QWidget* { return new placeholder_view(d); });
    if (!app->init_instance(args)) return nullptr;
    return app;
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
    auto le = [&b](std::uint32_t v, int bytes) {
        for (int k = 0; k < bytes; ++k) b.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    };
    const auto data = static_cast<std::uint32_t>(frames.size() * 4);
    b += "RIFF";
    le(36 + data, 4);
    b += "WAVEfmt ";
    for (auto [v, n] : {std::pair{16u, 4}, {1u, 2}, {2u, 2}, {44100u, 4}, {176400u, 4}, {4u, 2}, {16u, 2}})
        le(v, n);
    b += "data";
    le(data, 4);
    for (const auto& [l, r] : frames) {
        le(static_cast<std::uint16_t>(l), 2);
        le(static_cast<std::uint16_t>(r), 2);
    }
    return b;
}
