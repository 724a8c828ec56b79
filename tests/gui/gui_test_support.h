// Shared pieces of the GUI tests: a fixture that runs every test in a fresh
// working directory with its own application profile and answers message
// boxes and file dialogs with recorders; starting the application as the
// program does; running code inside the next modal dialog; WAVE bytes.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/gui/file_prompt.h"
#include "app/gui/message_box.h"
#include "app/gui/tonewarp_app.h"
#include "tests/support/test_dir.h"

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

// Answers the file dialogs from a queue (an empty answer is a cancel) and
// remembers the names the save dialog suggested.
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

// The application as main() starts it, with the placeholder view.
std::unique_ptr<CTonewarpApp> start_app(const QStringList& args = {"tonewarp"});

// Runs body on the next modal dialog once it is shown and painted, from
// inside its event loop; a dialog the body leaves open is rejected.
void on_next_modal(std::function<void(QWidget*)> body);

// Lets deleteLater() and other posted events run.
void process_events();

// A 16-bit stereo WAVE file (16-byte format chunk) of the given frames.
std::string wave_bytes(const std::vector<std::pair<short, short>>& frames);
