#include "app/gui/file_prompt.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

qt_file_prompter default_prompter;
file_prompter* current = &default_prompter;

QString filters() { return QString::fromUtf8(wave_file_filter) + ";;" + QString::fromUtf8(all_file_filter); }

}  // namespace

QString qt_file_prompter::open_file_name(QWidget* owner) {
    return QFileDialog::getOpenFileName(owner, QString::fromUtf8("開く"), QString(), filters());
}

QString qt_file_prompter::save_file_name(QWidget* owner, const QString& suggested) {
    QFileDialog dlg(owner, QString::fromUtf8("名前を付けて保存"), QString(), filters());
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(QString::fromUtf8(wave_default_ext).mid(1));
    dlg.selectFile(suggested);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().first();
}

scoped_file_prompter::scoped_file_prompter(file_prompter& p) : previous_(current) { current = &p; }

scoped_file_prompter::~scoped_file_prompter() { current = previous_; }

file_prompter& current_file_prompter() { return *current; }

QString with_default_ext(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path + QString::fromUtf8(wave_default_ext);
}
