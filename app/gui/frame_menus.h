// The main frame's menus 128 and 129, its accelerator table, the tool bar's
// actions and the recent-file entries.
//
// Every menu item, accelerator and tool-bar button is a QAction whose data()
// is its command number. Items that look the same in both menus share one
// action (so a text the view changes, or a recent file, shows in both); the
// version-box item differs by one blank between the menus and has one
// action per menu. Accelerators that have no menu item (new document,
// print, undo, cut, copy, paste, next and previous pane) are actions of the
// main window only. Every action reports through command(id); nothing is
// ever disabled.
#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;
class QWidget;

class frame_menus : public QObject {
    Q_OBJECT
   public:
    // Builds every action and both menus; accelerator actions are added to
    // window so their shortcuts work whichever menu is shown.
    explicit frame_menus(QWidget* window);

    // The top-level menus of menu resource 128 or 129, in order.
    const QList<QMenu*>& menus(int resource) const;

    // The first action carrying id (the shared one), or null.
    QAction* action(int id) const;
    // Every action carrying id (menus of both resources, tool bar, accelerators).
    QList<QAction*> actions_with_id(int id) const;

    // Tool-bar actions, in order, with null for the separator.
    QList<QAction*> tool_bar_actions() const;

    // Shows the recent files (most recent first, at most four) in place of
    // the "最新のﾌｧｲﾙ" item.
    void set_recent_files(const QStringList& paths);
    // The text an entry shows: "&1 " followed by the shortened path.
    static QString recent_entry_text(int index, const QString& path);

    // The status-bar prompt of a command (empty when it has none).
    static QString prompt(int id);

   signals:
    void command(int id);

   private:
    QAction* make(int id, const char* text);
    QMenu* make_menu(int resource, const char* title);
    void add_recent_section(QMenu* file_menu);

    QWidget* window_;
    QList<QAction*> all_;
    QMap<int, QList<QMenu*>> menus_;
    QList<QAction*> recent_entries_;
    QAction* recent_placeholder_ = nullptr;
    QList<QAction*> tool_bar_;
};
