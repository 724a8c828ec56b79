// A plain stand-in for the recording view: shows the document's title, its
// frame count and format, and whether the file was rejected.
//
// Like the real view with no range marks set, it gives the document the
// whole recording as its extraction range (0 .. frames - 1), so that Save
// writes every frame.
#pragma once

#include <QWidget>

class doc_entry;

class placeholder_view : public QWidget {
    Q_OBJECT
   public:
    explicit placeholder_view(doc_entry& doc, QWidget* parent = nullptr);

    QString summary() const;

   protected:
    void paintEvent(QPaintEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;

   private:
    doc_entry& doc_;
};
