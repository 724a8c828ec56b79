// The view's right-click menu (resource 141): the two extraction marks.
#include <QContextMenuEvent>
#include <QMenu>

#include "app/gui/command_ids.h"
#include "app/gui/main_frame.h"
#include "view/tonewarp_view.h"

void CTonewarpView::contextMenuEvent(QContextMenuEvent* e) {
    // The menu key has no position: the menu opens 10 pixels right of and
    // below the view's top-left corner.
    const QPoint at =
        e->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(10, 10)) : e->globalPos();
    open_ext_popup(at);
    e->accept();
}

void CTonewarpView::open_ext_popup(const QPoint& global_pos) {
    // Texts in their current form: "設定" to set a mark, "解除" to clear it.
    QMenu menu(window());
    QAction* stt = menu.addAction(
        QString::fromUtf8(st_.stt_mark.set == 1 ? "抽出開始位置の解除(&S)" : "抽出開始位置の設定(&S)"));
    stt->setData(cmd::ID_EXT_START);
    QAction* end = menu.addAction(
        QString::fromUtf8(st_.end_mark.set == 1 ? "抽出終了位置の解除(&E)" : "抽出終了位置の設定(&E)"));
    end->setData(cmd::ID_EXT_END);
    QAction* chosen = menu.exec(global_pos);
    if (chosen == nullptr) return;
    // The choice goes the way of every command: the main window hands it to
    // the active view first.
    const int id = chosen->data().toInt();
    if (auto* frame = qobject_cast<CMainFrame*>(window())) {
        frame->dispatch(id);
    } else {
        on_command(id);
    }
}
