#include "app/gui/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include "app/gui/child_frame.h"
#include "app/gui/command_ids.h"
#include "app/gui/command_target.h"
#include "app/gui/ext_param_dlg.h"
#include "app/gui/frame_menus.h"
#include "app/gui/message_box.h"
#include "app/gui/status_bar.h"

using namespace cmd;

namespace {

// How long the insert/overwrite text stays in the message pane.
constexpr int ins_mode_message_ms = 2000;

QIcon program_icon() {
    QIcon icon;
    for (int size : {16, 32, 48}) icon.addFile(QString(":/res/tonewarp_%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace

CMainFrame::CMainFrame(command_target* app) : app_(app) {
    setObjectName("main_frame");
    // The bar objects exist from construction; they become windows in load_frame.
    status_ = new tw_status_bar;
    tool_bar_ = new QToolBar;
    load_sys_param();
}

CMainFrame::~CMainFrame() {
    // Child frames (and their views) go before the settings are written:
    // the open ones and also those already closed whose deferred deletion
    // has not run yet (the area no longer lists them). Left to the base
    // class's destructor, a frame's going would tell the document manager,
    // whose menu update would reach this half-destroyed window.
    destroying_ = true;
    const QList<CChildFrame*> frames = findChildren<CChildFrame*>();
    QList<QPointer<CChildFrame>> alive(frames.begin(), frames.end());
    for (const QPointer<CChildFrame>& f : alive) delete f.data();
    save_sys_param();
    if (status_ != nullptr && status_->parent() == nullptr) delete status_;
    if (tool_bar_ != nullptr && tool_bar_->parent() == nullptr) delete tool_bar_;
}

QRect CMainFrame::creation_rect(sys_param_t& p) {
    if (p.main_win_x < 0 || p.main_win_x > 3999) p.main_win_x = 10;
    if (p.main_win_y < 0 || p.main_win_y > 3999) p.main_win_y = 10;
    if (p.main_win_w < 100 || p.main_win_w > 3999) p.main_win_w = 1000;
    if (p.main_win_h < 100 || p.main_win_h > 3999) p.main_win_h = 740;
    return QRect(p.main_win_x, p.main_win_y, p.main_win_w, p.main_win_h);
}

bool CMainFrame::load_frame() {
    setWindowTitle(QString::fromUtf8(app_title));
    setWindowIcon(program_icon());
    const QRect r = creation_rect(sys_param);

    mdi_ = new QMdiArea(this);
    mdi_->setObjectName("mdi_area");
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setBackground(QColor(128, 128, 128));
    setCentralWidget(mdi_);

    menus_ = new frame_menus(this);
    connect(menus_, &frame_menus::command, this, &CMainFrame::dispatch);

    // Tool bar: top, movable to every side, tool tips, prompts in the status bar.
    if (tool_bar_ == nullptr) return false;
    tool_bar_->setParent(this);
    tool_bar_->setObjectName("tool_bar");
    tool_bar_->setWindowTitle(QString::fromUtf8("ﾂｰﾙ ﾊﾞｰ"));
    tool_bar_->setIconSize(QSize(16, 15));
    tool_bar_->setAllowedAreas(Qt::AllToolBarAreas);
    tool_bar_->setMovable(true);
    tool_bar_->setFloatable(true);
    for (QAction* a : menus_->tool_bar_actions()) {
        if (a == nullptr) {
            tool_bar_->addSeparator();
        } else {
            tool_bar_->addAction(a);
        }
    }
    addToolBar(Qt::TopToolBarArea, tool_bar_);

    if (status_ == nullptr) return false;
    setStatusBar(status_);

    // The bar toggles follow the bars, which can also be hidden from their own menus.
    QAction* tb = menus_->action(ID_VIEW_TOOLBAR);
    connect(tool_bar_, &QToolBar::visibilityChanged, tb,
            [this, tb] { tb->setChecked(!tool_bar_->isHidden()); });

    for (QMenu* m : menus_->menus(IDR_TONEWPTYPE)) {
        if (m->objectName() == "window_menu")
            connect(m, &QMenu::aboutToShow, this, &CMainFrame::fill_window_list);
    }
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (w != nullptr) watch_child(w);
        update_title();
    });

    show_menu_for(0);
    set_message_owner(this);

    move(r.topLeft());
    resize(r.size());
    created_ = true;
    store_geometry();
    return true;
}

void CMainFrame::show_menu_for(int open_documents) {
    if (destroying_) return;  // the frames going with the window change nothing any more
    const int resource = open_documents > 0 ? IDR_TONEWPTYPE : IDR_MAINFRAME;
    if (resource == menu_resource_) return;
    menu_resource_ = resource;
    menuBar()->clear();
    for (QMenu* m : menus_->menus(resource)) menuBar()->addMenu(m);
    update_title();
}

CChildFrame* CMainFrame::active_child() const {
    if (mdi_ == nullptr) return nullptr;
    QMdiSubWindow* w = mdi_->activeSubWindow();
    if (w == nullptr) w = mdi_->currentSubWindow();
    return qobject_cast<CChildFrame*>(w);
}

QWidget* CMainFrame::active_view_widget() const {
    CChildFrame* f = active_child();
    return f != nullptr ? f->view() : nullptr;
}

QList<QAction*> CMainFrame::command_actions(int id) const {
    return menus_ != nullptr ? menus_->actions_with_id(id) : QList<QAction*>();
}

void CMainFrame::set_command_text(int id, const QString& text) {
    for (QAction* a : command_actions(id)) a->setText(text);
}

void CMainFrame::dispatch(int id) {
    if (auto* view = dynamic_cast<command_target*>(active_view_widget())) {
        if (view->on_command(id)) return;
    }
    if (own_command(id)) return;
    if (app_ != nullptr) app_->on_command(id);
}

bool CMainFrame::own_command(int id) {
    switch (id) {
        case ID_APP_EXIT:
            close();
            return true;
        case ID_VIEW_TOOLBAR:
            tool_bar_->setVisible(tool_bar_->isHidden());
            menus_->action(ID_VIEW_TOOLBAR)->setChecked(!tool_bar_->isHidden());
            return true;
        case ID_VIEW_STATUS_BAR:
            status_->setVisible(status_->isHidden());
            menus_->action(ID_VIEW_STATUS_BAR)->setChecked(!status_->isHidden());
            return true;
        case ID_WINDOW_CASCADE:
            cascade();
            return true;
        case ID_WINDOW_TILE_HORZ:
            mdi_->tileSubWindows();
            return true;
        case ID_WINDOW_ARRANGE:
            arrange_icons();
            return true;
        case ID_EXT_PARAM: {
            // Normally the view's command; taken here when the view does not.
            CExtParamDlg dlg(this);
            dlg.exec();
            return true;
        }
        // Commands without a handler anywhere: the keys do nothing.
        case ID_EDIT_UNDO:
        case ID_EDIT_CUT:
        case ID_EDIT_COPY:
        case ID_EDIT_PASTE:
        case ID_NEXT_PANE:
        case ID_PREV_PANE:
        case ID_EXTRACT:
        case ID_EXT_START:
        case ID_EXT_END:
        case ID_DISP_MODE:
            return true;
        default:
            return false;
    }
}

bool CMainFrame::event(QEvent* e) {
    // Prompts of highlighted items go to the message pane, which returns to
    // the idle text when the highlight leaves.
    if (e->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
        if (tip.isEmpty()) {
            status_->show_idle();
        } else {
            status_->set_message(tip);
        }
        return true;
    }
    return QMainWindow::event(e);
}

void CMainFrame::moveEvent(QMoveEvent* e) {
    QMainWindow::moveEvent(e);
    store_geometry();
}

void CMainFrame::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    store_geometry();
}

void CMainFrame::store_geometry() {
    if (!created_) return;
    // Position of the window's outer corner; size of the window itself
    // (without decorations a window manager may add, so a restored window
    // keeps its size from start to start).
    sys_param.main_win_x = pos().x();
    sys_param.main_win_y = pos().y();
    sys_param.main_win_w = width();
    sys_param.main_win_h = height();
}

void CMainFrame::closeEvent(QCloseEvent* e) {
    // Documents are never modified, so nothing asks to be saved.
    if (mdi_ != nullptr) mdi_->closeAllSubWindows();
    e->accept();
}

void CMainFrame::update_title() {
    CChildFrame* f = active_child();
    const QString app = QString::fromUtf8(app_title);
    setWindowTitle(f != nullptr ? app + " - " + f->windowTitle() : app);
}

void CMainFrame::watch_child(QMdiSubWindow* w) {
    auto* f = qobject_cast<CChildFrame*>(w);
    if (f == nullptr || f->property("tw_watched").toBool()) return;
    f->setProperty("tw_watched", true);
    connect(f, &QWidget::windowTitleChanged, this, &CMainFrame::update_title);
    connect(f, &CChildFrame::ins_mode_changed, this, [this](const QString& text) {
        status_->set_message(text);
        QTimer::singleShot(ins_mode_message_ms, status_, [s = status_, text] {
            if (s->pane_text(0) == text) s->show_idle();
        });
    });
}

void CMainFrame::fill_window_list() {
    QMenu* menu = qobject_cast<QMenu*>(sender());
    if (menu == nullptr) return;
    for (QAction* a : window_list_) {
        menu->removeAction(a);
        a->deleteLater();
    }
    window_list_.clear();
    const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
    if (windows.isEmpty()) return;
    window_list_.append(menu->addSeparator());
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* w = windows[i];
        QAction* a = menu->addAction(QString("&%1 %2").arg(i + 1).arg(w->windowTitle()));
        a->setData(ID_FIRST_MDICHILD + i);
        a->setCheckable(true);
        a->setChecked(w == mdi_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] {
            if (mdi_->subWindowList().contains(w)) {
                if (w->isMinimized()) w->showNormal();
                mdi_->setActiveSubWindow(w);
            }
        });
        window_list_.append(a);
    }
}

void CMainFrame::cascade() {
    // Each open frame one title bar further right and down than the one
    // before, all of one size that keeps the last inside the area; the
    // active frame ends on top.
    QList<QMdiSubWindow*> open;
    for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::StackingOrder)) {
        if (!w->isMinimized() && w->isVisible()) open.append(w);
    }
    if (open.isEmpty()) return;
    const int step = std::max(20, open.first()->style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4);
    const QSize area = mdi_->viewport()->size();
    const int n = static_cast<int>(open.size());
    const int w = std::max(200, area.width() - (n - 1) * step);
    const int h = std::max(150, area.height() - (n - 1) * step);
    for (int i = 0; i < n; ++i) {
        if (open[i]->isMaximized()) open[i]->showNormal();
        open[i]->setGeometry(i * step, i * step, w, h);
        open[i]->raise();
    }
}

void CMainFrame::arrange_icons() {
    // Minimised frames are lined up along the bottom edge, left to right.
    int x = 0;
    const int bottom = mdi_->viewport()->height();
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        if (!w->isMinimized()) continue;
        w->move(x, bottom - w->height());
        x += w->width();
    }
}
