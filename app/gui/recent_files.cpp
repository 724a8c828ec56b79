#include "app/gui/recent_files.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const char* const section = "Recent File List";

}  // namespace

recent_file_list::recent_file_list(int size) : size_(size) {}

void recent_file_list::load() {
    QSettings s(profile_organization, profile_application);
    s.beginGroup(section);
    paths_.clear();
    for (int i = 1; i <= size_; ++i) {
        const QString p = s.value(QString("File%1").arg(i)).toString();
        if (!p.isEmpty() && !paths_.contains(p)) paths_.append(p);
    }
    s.endGroup();
}

void recent_file_list::save() const {
    QSettings s(profile_organization, profile_application);
    s.beginGroup(section);
    for (int i = 1; i <= size_; ++i) {
        const QString key = QString("File%1").arg(i);
        if (i <= paths_.size()) {
            s.setValue(key, paths_[i - 1]);
        } else {
            s.remove(key);
        }
    }
    s.endGroup();
    s.sync();
}

void recent_file_list::add(const QString& path) {
    const QString abs = QFileInfo(path).absoluteFilePath();
    paths_.removeAll(abs);
    paths_.prepend(abs);
    while (paths_.size() > size_) paths_.removeLast();
    save();
}

void recent_file_list::remove(int index) {
    if (index < 0 || index >= paths_.size()) return;
    paths_.removeAt(index);
    save();
}
