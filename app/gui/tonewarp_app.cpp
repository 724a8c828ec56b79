#include "app/gui/tonewarp_app.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "app/gui/child_frame.h"
#include "app/gui/command_ids.h"
#include "app/gui/frame_menus.h"
#include "app/gui/main_frame.h"
#include "app/gui/message_box.h"
#include "app/gui/print_view.h"
#include "app/gui/version_dlg.h"

using namespace cmd;

namespace {

// What the command line asks for: a new document, or the file it names.
struct shell_command {
    enum kind_t { nothing, file_new, file_open } kind = file_new;
    QString path;
};

shell_command parse_command_line(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (!arguments[i].startsWith('-')) return {shell_command::file_open, arguments[i]};
    }
    return {};
}

}  // namespace

// The icons and bitmaps compiled into this library.
void init_tw_resources() { Q_INIT_RESOURCE(tonewarp); }

CTonewarpApp::CTonewarpApp(view_factory factory)
    : template_(std::make_unique<CTonewarpDocTemplate>(std::move(factory))) {
    init_tw_resources();
}

CTonewarpApp::~CTonewarpApp() {
    // The frame (and with it every child frame and view) goes first, so the
    // documents are released while their manager still exists; destroying
    // it writes the settings file.
    delete main_.data();
}

bool CTonewarpApp::init_instance(const QStringList& arguments) {
    // 1. Three-dimensional controls: Qt's styles draw them always.
    // 2. Profile "Local AppWizard-Generated Applications"; recent files, 4 entries.
    template_->load_recent_files();
    // 3. The document template exists from construction; 4. the main frame,
    // whose constructor loads the settings.
    auto* frame = new CMainFrame(this);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    main_ = frame;
    // 5. The window from resource 128.
    if (!frame->load_frame()) {
        delete frame;
        return false;
    }
    template_->attach(frame->mdi_area(), frame);
    connect(template_.get(), &CTonewarpDocTemplate::recent_files_changed, &frame->menus(),
            &frame_menus::set_recent_files);
    frame->menus().set_recent_files(template_->recent_files().paths());
    connect(template_.get(), &CTonewarpDocTemplate::documents_changed, frame,
            [this, frame] { frame->show_menu_for(static_cast<int>(template_->documents().size())); });
    // 6. The command line is parsed, then replaced by the command that does
    // nothing: no empty document at start, and a named file is not opened.
    shell_command shell = parse_command_line(arguments);
    shell = {shell_command::nothing, QString()};
    // 7. Process the shell command; show the window.
    if (shell.kind == shell_command::file_new) template_->file_new();
    if (shell.kind == shell_command::file_open) template_->open_document_file(shell.path);
    frame->show();
    // 8. The default printer for the print commands.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    printer_ = info.isNull() ? std::make_unique<QPrinter>() : std::make_unique<QPrinter>(info);
    return true;
}

doc_entry* CTonewarpApp::active_document() const {
    if (main_.isNull()) return nullptr;
    CChildFrame* f = main_->active_child();
    return f != nullptr ? &f->document() : nullptr;
}

bool CTonewarpApp::on_command(int id) {
    doc_entry* doc = active_document();
    switch (id) {
        case ID_APP_ABOUT: {
            CVersionDlg dlg(main_.data());
            dlg.exec();
            return true;
        }
        case ID_FILE_NEW:
            template_->file_new();
            return true;
        case ID_FILE_OPEN:
            template_->file_open();
            return true;
        case ID_FILE_PRINT_SETUP:
            on_print_setup();
            return true;
        case ID_FILE_SAVE:
            if (doc != nullptr) template_->file_save(*doc);
            return true;
        case ID_FILE_SAVE_AS:
            if (doc != nullptr) template_->file_save_as(*doc);
            return true;
        case ID_FILE_CLOSE:
            if (doc != nullptr) template_->file_close(*doc);
            return true;
        case ID_WINDOW_NEW:
            if (doc != nullptr) template_->new_window(*doc);
            return true;
        case ID_FILE_PRINT:
            on_print();
            return true;
        default:
            break;
    }
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + recent_file_count) {
        template_->open_recent(id - ID_FILE_MRU_FILE1);
        return true;
    }
    return false;
}

void CTonewarpApp::on_print() {
    QWidget* view = main_.isNull() ? nullptr : main_->active_view_widget();
    doc_entry* doc = active_document();
    if (view == nullptr || doc == nullptr || !printer_) return;
    QPrintDialog dlg(printer_.get(), main_.data());
    if (dlg.exec() != QDialog::Accepted) return;
    if (!print_view(view, *printer_, doc->title())) {
        tw_message_box(QString::fromUtf8("印刷を開始できません!!　　"));
    }
}

void CTonewarpApp::on_print_setup() {
    if (!printer_) return;
    QPageSetupDialog dlg(printer_.get(), main_.data());
    dlg.exec();
}
