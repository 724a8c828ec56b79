// One open document and what the document manager knows about it: the
// CTonewarpDoc itself (owned), its title, the file it belongs to and the
// child frames open on it.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class CChildFrame;
class CTonewarpDoc;

class doc_entry : public QObject {
    Q_OBJECT
   public:
    doc_entry(std::unique_ptr<CTonewarpDoc> doc, const QString& title, const QString& path);
    ~doc_entry() override;

    CTonewarpDoc& doc() const { return *doc_; }
    const QString& title() const { return title_; }
    // The file the document came from or was last saved to; empty for a new one.
    const QString& path() const { return path_; }
    // Frames still open on the document, in the order they were opened.
    QList<CChildFrame*> frames() const;

   signals:
    void title_changed(const QString& title);

   private:
    friend class CTonewarpDocTemplate;
    void set_path(const QString& path);

    std::unique_ptr<CTonewarpDoc> doc_;
    QString title_;
    QString path_;
    QList<QPointer<CChildFrame>> frames_;
};
