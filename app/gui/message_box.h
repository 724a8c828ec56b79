// The program's user messages: modal boxes titled "確認" with the warning
// (exclamation) icon, owned by the main window.
//
// Everything that tells the user something goes through tw_message_box. The
// box itself is shown by a message_presenter; the program runs with the one
// that opens a real QMessageBox, and tests put a recording presenter in its
// place (scoped_message_presenter) to see which texts were shown, in order.
#pragma once

#include <QString>

class QWidget;

inline constexpr const char* message_box_caption = "確認";

class message_presenter {
   public:
    virtual ~message_presenter() = default;
    // Shows one modal message and returns when the user has closed it.
    virtual void show_message(QWidget* owner, const QString& caption, const QString& text) = 0;
};

// The presenter that opens a QMessageBox (warning icon, one OK button).
class qt_message_presenter final : public message_presenter {
   public:
    void show_message(QWidget* owner, const QString& caption, const QString& text) override;
};

// Installs p (not owned) for as long as the object lives; the previous one
// comes back when it is destroyed.
class scoped_message_presenter {
   public:
    explicit scoped_message_presenter(message_presenter& p);
    ~scoped_message_presenter();
    scoped_message_presenter(const scoped_message_presenter&) = delete;
    scoped_message_presenter& operator=(const scoped_message_presenter&) = delete;

   private:
    message_presenter* previous_;
};

// The window that owns every message box: the main frame registers itself
// while it exists. With none registered the box has no owner.
void set_message_owner(QWidget* owner);
QWidget* message_owner();

// Shows text (UTF-8) titled "確認" with the warning icon, owned by the
// main window. Returns when the box is closed.
void tw_message_box(const QString& text);
void tw_message_box(const char* utf8_text);
