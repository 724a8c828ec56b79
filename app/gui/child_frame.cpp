#include "app/gui/child_frame.h"

#include <QIcon>
#include <QKeyEvent>

#include "app/gui/ins_mode.h"

QRect child_frame_rect(const sys_param_t& p) {
    // Truncated toward zero, as the stored sizes may be anything the full
    // parameter dialog accepted.
    const int w = static_cast<int>((p.main_win_w - 10) * 0.9);
    const int h = static_cast<int>((p.main_win_h - 50) * 0.9);
    return QRect(10, 10, w, h);
}

CChildFrame::CChildFrame(doc_entry& doc, QWidget* view, QWidget* parent)
    : QMdiSubWindow(parent), doc_(doc), creation_rect_(child_frame_rect(sys_param)) {
    setObjectName("child_frame");
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
    setWindowIcon(QIcon(":/res/tonewarp_16.png"));
    setGeometry(creation_rect_);
}

CChildFrame::~CChildFrame() {
    // The view goes first: it may still refer to the document, which its
    // manager releases when this was the document's last frame.
    if (QWidget* v = widget()) {
        setWidget(nullptr);
        delete v;
    }
    emit frame_gone(this);
}

void CChildFrame::paintEvent(QPaintEvent* e) {
    first_paint_ = 1;
    QMdiSubWindow::paintEvent(e);
}

void CChildFrame::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Insert && !e->isAutoRepeat()) {
        emit ins_mode_changed(QString::fromUtf8(toggle_ins_ovr_mode()));
    }
    QMdiSubWindow::keyPressEvent(e);
}
