// CTonewarpApp: the application object. It owns the document template and
// the main frame, runs the start-up sequence and handles the application's
// commands: the version box, File New, File Open, the recent files, Print
// Setup, and (for the active document) Save, Save As, Close, Print and a
// second window.
//
// The Qt application object itself is made by main(); this object can be
// made and destroyed more than once in one process (the tests start the
// program several times).
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>

#include "app/gui/command_target.h"
#include "app/gui/doc_template.h"
#include "app/gui/main_frame.h"

class QPrinter;

// Registers the program's compiled-in icons (called by CTonewarpApp; tests
// that build windows without it call it themselves).
void init_tw_resources();

class CTonewarpApp : public QObject, public command_target {
    Q_OBJECT
   public:
    explicit CTonewarpApp(view_factory factory);
    ~CTonewarpApp() override;

    // Start-up: profile and recent files, document template, main frame
    // (settings loaded by its constructor), window shown. The command line
    // is read and then ignored: no document is created or opened at start.
    // False when the main frame cannot be created.
    bool init_instance(const QStringList& arguments);

    CMainFrame* main_frame() const { return main_.data(); }
    CTonewarpDocTemplate& doc_template() { return *template_; }
    QPrinter& printer() { return *printer_; }

    // The document of the active child frame, or null.
    doc_entry* active_document() const;

    bool on_command(int id) override;

   private:
    void on_print();
    void on_print_setup();

    std::unique_ptr<CTonewarpDocTemplate> template_;
    QPointer<CMainFrame> main_;
    std::unique_ptr<QPrinter> printer_;
};
