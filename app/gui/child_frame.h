// CChildFrame: the MDI child frame holding one view of a document.
//
// It is created at x = 10, y = 10 inside the MDI area with 0.9 times the
// stored main-window size less a margin (891 x 621 at the default
// 1000 x 740), read from sys_param when the frame is created. It keeps a
// first-paint flag, switches the insert/overwrite mode on the Insert key,
// and tells whoever listens when it goes away (the document manager closes
// a document with its last frame).
#pragma once

#include <QMdiSubWindow>
#include <QRect>

#include "app/sys_param.h"

class doc_entry;

// The creation rectangle of a child frame for the settings p.
QRect child_frame_rect(const sys_param_t& p);

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
   public:
    // Takes ownership of view (the frame's widget).
    CChildFrame(doc_entry& doc, QWidget* view, QWidget* parent = nullptr);
    ~CChildFrame() override;

    doc_entry& document() const { return doc_; }
    QWidget* view() const { return widget(); }
    bool first_painted() const { return first_paint_ != 0; }
    // Moves the frame to the rectangle taken at its creation; called once
    // it is in the MDI area, which would otherwise place it by itself.
    void place_at_creation_rect() { setGeometry(creation_rect_); }

   signals:
    // Emitted from the destructor, after the view is gone.
    void frame_gone(CChildFrame* frame);
    // The Insert key switched the mode; text is "挿入" or "上書".
    void ins_mode_changed(const QString& text);

   protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

   private:
    doc_entry& doc_;
    QRect creation_rect_;
    int first_paint_ = 0;  // cleared at creation, set by the first paint
};
