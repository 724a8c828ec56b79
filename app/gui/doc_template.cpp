#include "app/gui/doc_template.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <cstring>

#include "app/gui/child_frame.h"
#include "app/gui/command_ids.h"
#include "app/gui/file_prompt.h"
#include "app/gui/message_box.h"
#include "document/tonewarp_doc.h"
#include "document/wave_file_io.h"

namespace {

QString reason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

std::string native_path(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString same_file_key(const QString& path) {
    const QFileInfo fi(path);
    const QString canonical = fi.canonicalFilePath();
    return canonical.isEmpty() ? fi.absoluteFilePath() : canonical;
}

}  // namespace

QString CTonewarpDocTemplate::get_doc_string(doc_string_index index) {
    const QStringList fields = QString::fromUtf8(doc_string).split('\n');
    return index < fields.size() ? fields[index] : QString();
}

CTonewarpDocTemplate::CTonewarpDocTemplate(view_factory factory, QObject* parent)
    : QObject(parent), factory_(std::move(factory)), recent_(cmd::recent_file_count) {}

CTonewarpDocTemplate::~CTonewarpDocTemplate() {
    // Frames still open belong to the main window; they must no longer call
    // back into a manager that is going away.
    for (const auto& d : docs_) {
        for (CChildFrame* f : d->frames()) disconnect(f, nullptr, this, nullptr);
    }
}

void CTonewarpDocTemplate::attach(QMdiArea* area, QWidget* owner) {
    area_ = area;
    owner_ = owner;
}

void CTonewarpDocTemplate::load_recent_files() {
    recent_.load();
    emit recent_files_changed(recent_.paths());
}

void CTonewarpDocTemplate::add_recent(const QString& path) {
    recent_.add(path);
    emit recent_files_changed(recent_.paths());
}

doc_entry* CTonewarpDocTemplate::add_document(std::unique_ptr<CTonewarpDoc> doc, const QString& title,
                                              const QString& path) {
    docs_.push_back(std::make_unique<doc_entry>(std::move(doc), title, path));
    doc_entry* d = docs_.back().get();
    if (create_frame(*d) == nullptr) {
        docs_.pop_back();
        return nullptr;
    }
    emit documents_changed();
    return d;
}

doc_entry* CTonewarpDocTemplate::file_new() {
    auto doc = std::make_unique<CTonewarpDoc>();
    doc->set_default_wave();
    ++untitled_count_;
    return add_document(std::move(doc), get_doc_string(doc_name) + QString::number(untitled_count_),
                        QString());
}

doc_entry* CTonewarpDocTemplate::file_open() {
    const QString path = current_file_prompter().open_file_name(owner_.data());
    if (path.isEmpty()) return nullptr;
    return open_document_file(path);
}

doc_entry* CTonewarpDocTemplate::open_document_file(const QString& path) {
    // A file that is open already only brings its window to the front.
    const QString key = same_file_key(path);
    for (const auto& d : docs_) {
        if (!d->path().isEmpty() && same_file_key(d->path()) == key) {
            const QList<CChildFrame*> frames = d->frames();
            if (!frames.isEmpty() && area_) area_->setActiveSubWindow(frames.first());
            add_recent(d->path());
            return d.get();
        }
    }

    auto doc = std::make_unique<CTonewarpDoc>();
    if (const int err = open_wave_file(*doc, native_path(path)); err != 0) {
        tw_message_box(QString::fromUtf8("ファイルを開けません!!　　\n%1\n(%2)")
                           .arg(QDir::toNativeSeparators(path), reason(err)));
        return nullptr;
    }
    // A rejected file gets no path: its Save asks for a name, so the 512
    // silent frames it shows can never be written over the user's recording.
    const QFileInfo fi(path);
    const bool rejected = doc->is_bad_file();
    doc_entry* d = add_document(std::move(doc), fi.fileName(), rejected ? QString() : fi.absoluteFilePath());
    if (d != nullptr) add_recent(fi.absoluteFilePath());
    return d;
}

doc_entry* CTonewarpDocTemplate::open_recent(int index) {
    const QStringList paths = recent_.paths();
    if (index < 0 || index >= paths.size()) return nullptr;
    const QString path = paths[index];
    doc_entry* d = open_document_file(path);
    if (d == nullptr) {
        recent_.remove(static_cast<int>(recent_.paths().indexOf(path)));
        emit recent_files_changed(recent_.paths());
    }
    return d;
}

bool CTonewarpDocTemplate::file_save(doc_entry& d) {
    if (d.path().isEmpty()) return file_save_as(d);
    return save_document(d, d.path());
}

bool CTonewarpDocTemplate::file_save_as(doc_entry& d) {
    const QString suggested = d.path().isEmpty() ? d.title() : d.path();
    const QString path = with_default_ext(current_file_prompter().save_file_name(owner_.data(), suggested));
    if (path.isEmpty()) return false;
    return save_document(d, path);
}

bool CTonewarpDocTemplate::save_document(doc_entry& d, const QString& path) {
    if (const int err = save_wave_file(d.doc(), native_path(path)); err != 0) {
        tw_message_box(QString::fromUtf8("ファイルに保存できません!!　　\n%1\n(%2)")
                           .arg(QDir::toNativeSeparators(path), reason(err)));
        return false;
    }
    if (same_file_key(path) != same_file_key(d.path()) || d.path().isEmpty()) {
        d.set_path(path);
        retitle_frames(d);
    }
    add_recent(d.path());
    return true;
}

void CTonewarpDocTemplate::file_close(doc_entry& d) {
    // Closing the last frame releases the document (frame_gone), so the
    // entry must not be used after the loop.
    for (CChildFrame* f : d.frames()) f->close();
}

void CTonewarpDocTemplate::close_all() {
    std::vector<doc_entry*> all;
    for (const auto& d : docs_) all.push_back(d.get());
    for (doc_entry* d : all) file_close(*d);
}

CChildFrame* CTonewarpDocTemplate::new_window(doc_entry& d) { return create_frame(d); }

CChildFrame* CTonewarpDocTemplate::create_frame(doc_entry& d) {
    if (!area_ || !factory_) return nullptr;
    QWidget* view = factory_(d);
    if (view == nullptr) return nullptr;
    auto* frame = new CChildFrame(d, view);
    d.frames_.append(frame);
    connect(frame, &CChildFrame::frame_gone, this,
            [this, entry = &d](CChildFrame* f) { frame_gone(entry, f); });
    area_->addSubWindow(frame);
    frame->place_at_creation_rect();
    retitle_frames(d);
    frame->show();
    view->setFocus();
    return frame;
}

void CTonewarpDocTemplate::frame_gone(doc_entry* d, CChildFrame* frame) {
    d->frames_.removeIf([frame](const QPointer<CChildFrame>& f) { return f.isNull() || f.data() == frame; });
    if (!d->frames_.isEmpty()) {
        retitle_frames(*d);
        return;
    }
    // The document's last frame: the document goes with it.
    for (auto it = docs_.begin(); it != docs_.end(); ++it) {
        if (it->get() == d) {
            docs_.erase(it);
            break;
        }
    }
    emit documents_changed();
}

void CTonewarpDocTemplate::retitle_frames(doc_entry& d) {
    // One frame shows the document's title; several are numbered "title:1", "title:2", ...
    const QList<CChildFrame*> frames = d.frames();
    for (int i = 0; i < frames.size(); ++i) {
        const QString title = frames.size() == 1 ? d.title() : QString("%1:%2").arg(d.title()).arg(i + 1);
        frames[i]->setWindowTitle(title);
    }
}
