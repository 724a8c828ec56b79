// The document template and manager: what joins a CTonewarpDoc to its child
// frames and views, and the file commands that create, open, save and close
// documents.
//
// Document string (string 129): no window title of its own, documents named
// "ToneWp" (new ones get a running number: ToneWp1, ToneWp2, ...), the file
// filter "WaveFiles(*.wav)" with the extension ".wav", file type
// "Tonewarp.Document" named "ToneWp Document".
//
// The view is made by a factory the program registers, so this library does
// not depend on the view. Documents are never marked modified: closing one
// never asks to save. A document lives while it has a child frame; closing
// its last frame releases it. Files are read and written through the core's
// read_wave_file / write_wave_file; a file that cannot be opened or written
// is reported by a message naming it and the system's reason.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "app/gui/doc_entry.h"
#include "app/gui/recent_files.h"

class CChildFrame;
class QMdiArea;
class QWidget;

// Makes the view of a new child frame for a document (the frame owns it).
using view_factory = std::function<QWidget*(doc_entry& doc)>;

class CTonewarpDocTemplate : public QObject {
    Q_OBJECT
   public:
    static constexpr const char* doc_string =
        "\nToneWp\nToneWp\nWaveFiles(*.wav)\n.wav\nTonewarp.Document\nToneWp Document";
    enum doc_string_index {
        window_title,
        doc_name,
        file_new_name,
        filter_name,
        filter_ext,
        file_type_id,
        file_type_name
    };
    static QString get_doc_string(doc_string_index index);

    explicit CTonewarpDocTemplate(view_factory factory, QObject* parent = nullptr);
    ~CTonewarpDocTemplate() override;

    // Where child frames are created and whose window owns the dialogs.
    void attach(QMdiArea* area, QWidget* owner);

    // File New: a new document of 512 silent frames in a new child frame.
    doc_entry* file_new();
    // File Open: asks for a name, then opens it. Null when cancelled or failed.
    doc_entry* file_open();
    // Opens path in a new document (or activates the document that already
    // has it open). Null, after a message, when the file cannot be read.
    doc_entry* open_document_file(const QString& path);
    // Opens entry index of the recent-file list; a file that cannot be
    // opened drops out of the list.
    doc_entry* open_recent(int index);
    // Save: to the document's own file, or asks for a name when it has none.
    bool file_save(doc_entry& d);
    // Save As: asks for a name (default extension ".wav"), then saves.
    bool file_save_as(doc_entry& d);
    // Writes d to path; on success d takes path and its title. Reports failures.
    bool save_document(doc_entry& d, const QString& path);
    // Close: closes every frame of the document, which releases it.
    void file_close(doc_entry& d);
    // Window New: one more child frame and view on the document.
    CChildFrame* new_window(doc_entry& d);
    // Closes every frame of every document.
    void close_all();

    const std::vector<std::unique_ptr<doc_entry>>& documents() const { return docs_; }
    recent_file_list& recent_files() { return recent_; }
    void load_recent_files();

   signals:
    void recent_files_changed(const QStringList& paths);
    // A document was opened or released.
    void documents_changed();

   private:
    doc_entry* add_document(std::unique_ptr<CTonewarpDoc> doc, const QString& title, const QString& path);
    CChildFrame* create_frame(doc_entry& d);
    void frame_gone(doc_entry* d, CChildFrame* frame);
    void retitle_frames(doc_entry& d);
    void add_recent(const QString& path);

    view_factory factory_;
    QPointer<QMdiArea> area_;
    QPointer<QWidget> owner_;
    std::vector<std::unique_ptr<doc_entry>> docs_;
    recent_file_list recent_;
    int untitled_count_ = 0;  // running number of new documents
};
