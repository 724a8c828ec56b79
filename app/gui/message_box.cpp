#include "app/gui/message_box.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

namespace {

qt_message_presenter default_presenter;
message_presenter* current_presenter = &default_presenter;
QPointer<QWidget> owner_window;

}  // namespace

void qt_message_presenter::show_message(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, owner);
    box.setObjectName("tw_message_box");
    box.exec();
}

scoped_message_presenter::scoped_message_presenter(message_presenter& p) : previous_(current_presenter) {
    current_presenter = &p;
}

scoped_message_presenter::~scoped_message_presenter() { current_presenter = previous_; }

void set_message_owner(QWidget* owner) { owner_window = owner; }

QWidget* message_owner() { return owner_window.data(); }

void tw_message_box(const QString& text) {
    current_presenter->show_message(owner_window.data(), QString::fromUtf8(message_box_caption), text);
}

void tw_message_box(const char* utf8_text) { tw_message_box(QString::fromUtf8(utf8_text)); }
