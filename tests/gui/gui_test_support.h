// Shared pieces of the GUI tests: a fixture that starts every test in a
// fresh working directory with its own application profile, a message
// presenter that records instead of showing, answers for the file dialogs,
// and helpers to deal with modal dialogs and WAVE bytes.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "app/gui/file_prompt.h"
#include "app/gui/message_box.h"
#include "tests/support/test_dir.h"

class QAction;
class QMenu;
class QWidget;

struct shown_message {
    QWidget* owner;
    QString caption;
    QString text;
};

class recording_presenter final : public message_presenter {
   public:
    void show_message(QWidget* owner, const QString& caption, const QString& text) override {
        shown.push_back({owner, caption, text});
    }
    QStringList texts() const;
    std::vector<shown_message> shown;
};

// Answers the file dialogs with queued names (empty when the queue is empty: cancelled).
class queued_file_prompter final : public file_prompter {
   public:
    QString open_file_name(QWidget*) override { return take(); }
    QString save_file_name(QWidget*, const QString& suggested) override {
        suggestions.append(suggested);
        return take();
    }
    QStringList answers;
    QStringList suggestions;

   private:
    QString take() { return answers.isEmpty() ? QString() : answers.takeFirst(); }
};

// Each test in its own directory (settings and log files by bare name) with
// its own profile directory for the recent-file list, and with messages and
// file dialogs answered by the recorders above.
class gui_test : public in_test_dir {
   protected:
    gui_test();
    ~gui_test() override;

    recording_presenter messages_;
    queued_file_prompter files_;

   private:
    scoped_message_presenter message_scope_;
    scoped_file_prompter file_scope_;
};

// Runs body on the modal dialog that the next call opens (once it is shown
// and painted), from inside that dialog's event loop. The body must close
// the dialog; if it does not, the dialog is rejected afterwards.
void on_next_modal(std::function<void(QWidget*)> body);

// Lets deleteLater() and other posted events run.
void process_events();

// A 16-bit stereo WAVE file of the given frames (left, right pairs).
std::string wave_bytes(const std::vector<std::pair<short, short>>& frames);
