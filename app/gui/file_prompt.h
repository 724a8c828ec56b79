// Asking the user for a file name to open or to save to.
//
// The document manager asks through a file_prompter; the program uses the
// one with Qt's file dialogs, tests install one that answers at once
// (scoped_file_prompter). An empty answer means the user cancelled.
#pragma once

#include <QString>

class QWidget;

// The file-dialog filter of the document type, then every file.
inline constexpr const char* wave_file_filter = "WaveFiles(*.wav)";
inline constexpr const char* all_file_filter = "すべてのﾌｧｲﾙ (*.*)";
inline constexpr const char* wave_default_ext = ".wav";

class file_prompter {
   public:
    virtual ~file_prompter() = default;
    virtual QString open_file_name(QWidget* owner) = 0;
    // suggested: the document's current file or title.
    virtual QString save_file_name(QWidget* owner, const QString& suggested) = 0;
};

class qt_file_prompter final : public file_prompter {
   public:
    QString open_file_name(QWidget* owner) override;
    QString save_file_name(QWidget* owner, const QString& suggested) override;
};

class scoped_file_prompter {
   public:
    explicit scoped_file_prompter(file_prompter& p);
    ~scoped_file_prompter();
    scoped_file_prompter(const scoped_file_prompter&) = delete;
    scoped_file_prompter& operator=(const scoped_file_prompter&) = delete;

   private:
    file_prompter* previous_;
};

file_prompter& current_file_prompter();

// Appends the default extension ".wav" to a name that has none.
QString with_default_ext(const QString& path);
