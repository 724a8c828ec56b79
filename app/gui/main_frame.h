// CMainFrame: the main window — menu, tool bar, status bar and the MDI area
// that holds one child frame per view.
//
// Construction loads the settings block (load_sys_param, which also resets
// the diagnostic log and takes the process heap), before any window exists.
// load_frame() then builds the window at the stored position and size,
// corrected into range and written back. Every move and resize stores the
// window's position and size in sys_param; destroying the frame writes the
// settings file.
//
// Commands (menu items, accelerators, tool-bar buttons) go first to the
// active child frame's view when it takes commands, then to the frame's own
// handlers (exit, bars, window arrangement, the extraction parameter
// dialog), then to the application. Menu 128 is shown while no document is
// open, menu 129 while one is.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QRect>

#include "app/sys_param.h"

class CChildFrame;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;
class command_target;
class frame_menus;
class tw_status_bar;

inline constexpr const char* app_title = "Tone_Warp Extractor";

class CMainFrame : public QMainWindow {
    Q_OBJECT
   public:
    // app receives the commands neither the view nor the frame handles.
    explicit CMainFrame(command_target* app);
    ~CMainFrame() override;

    // Creates the window from resource 128. False when a bar could not be
    // created (start-up then fails).
    bool load_frame();

    // The creation-rectangle hook: x, y into 0 .. 3999 (else 10), w, h into
    // 100 .. 3999 (else 1000 and 740), written back into p.
    static QRect creation_rect(sys_param_t& p);

    QMdiArea* mdi_area() const { return mdi_; }
    frame_menus& menus() const { return *menus_; }
    tw_status_bar* panes() const { return status_; }
    QToolBar* tool_bar() const { return tool_bar_; }

    // 128 or 129: the menu resource shown.
    int menu_resource() const { return menu_resource_; }
    // Shows menu 129 while documents are open, 128 when none is.
    void show_menu_for(int open_documents);

    CChildFrame* active_child() const;
    QWidget* active_view_widget() const;

    // Every action of command id (menus, tool bar, accelerators).
    QList<QAction*> command_actions(int id) const;
    // Changes the text of command id's menu items (the view's state texts).
    void set_command_text(int id, const QString& text);

    // Runs command id through the routing described above.
    void dispatch(int id);

   protected:
    bool event(QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

   private:
    bool own_command(int id);
    void store_geometry();
    void update_title();
    void fill_window_list();
    void cascade();
    void arrange_icons();
    void watch_child(QMdiSubWindow* w);

    command_target* app_;
    tw_status_bar* status_ = nullptr;
    QToolBar* tool_bar_ = nullptr;
    QMdiArea* mdi_ = nullptr;
    frame_menus* menus_ = nullptr;
    QList<QAction*> window_list_;
    int menu_resource_ = 0;
    bool created_ = false;  // geometry is stored only once the window exists
    bool destroying_ = false;  // set by the destructor: no more menu changes
};
