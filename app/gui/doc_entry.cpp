#include "app/gui/doc_entry.h"

#include <QFileInfo>

#include "app/gui/child_frame.h"
#include "document/tonewarp_doc.h"

doc_entry::doc_entry(std::unique_ptr<CTonewarpDoc> doc, const QString& title, const QString& path)
    : doc_(std::move(doc)), title_(title), path_(path) {}

doc_entry::~doc_entry() = default;

QList<CChildFrame*> doc_entry::frames() const {
    QList<CChildFrame*> live;
    for (const QPointer<CChildFrame>& f : frames_) {
        if (!f.isNull()) live.append(f.data());
    }
    return live;
}

void doc_entry::set_path(const QString& path) {
    path_ = QFileInfo(path).absoluteFilePath();
    title_ = QFileInfo(path).fileName();
    emit title_changed(title_);
}
