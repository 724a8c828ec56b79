#include "app/gui/frame_menus.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

#include "app/gui/command_ids.h"

using namespace cmd;

namespace {

struct prompt_entry {
    int id;
    const char* text;
};

// Prompts shown in the message pane while an item is highlighted. The two
// own commands have theirs from the program's string table; the framework
// commands have the usual short descriptions.
const prompt_entry prompts[] = {
    {ID_EXTRACT, "原音から各音源パートを抽出する"},
    {ID_EXT_PARAM, "抽出用のﾊﾟﾗﾒｰﾀを設定します"},
    {ID_FILE_NEW, "新規にドキュメントを作成します"},
    {ID_FILE_OPEN, "既存のドキュメントを開きます"},
    {ID_FILE_CLOSE, "作業中のドキュメントを閉じます"},
    {ID_FILE_SAVE, "作業中のドキュメントを上書きして保存します"},
    {ID_FILE_SAVE_AS, "作業中のドキュメントに名前を付けて保存します"},
    {ID_FILE_PRINT, "作業中のドキュメントを印刷します"},
    {ID_FILE_PRINT_SETUP, "プリンタと印刷オプションを設定します"},
    {ID_FILE_MRU_FILE1, "このドキュメントを開きます"},
    {ID_FILE_MRU_FILE1 + 1, "このドキュメントを開きます"},
    {ID_FILE_MRU_FILE1 + 2, "このドキュメントを開きます"},
    {ID_FILE_MRU_FILE1 + 3, "このドキュメントを開きます"},
    {ID_APP_EXIT, "アプリケーションを終了します"},
    {ID_APP_ABOUT, "プログラムのバージョン情報を表示します"},
    {ID_VIEW_TOOLBAR, "ツール バーの表示と非表示を切り替えます"},
    {ID_VIEW_STATUS_BAR, "ステータス バーの表示と非表示を切り替えます"},
    {ID_WINDOW_NEW, "作業中のドキュメントを表示するウィンドウをもう一つ開きます"},
    {ID_WINDOW_CASCADE, "ウィンドウを重ねて表示します"},
    {ID_WINDOW_TILE_HORZ, "ウィンドウを並べて表示します"},
    {ID_WINDOW_ARRANGE, "アイコンになったウィンドウを整列します"},
};

// Recent-file entries longer than this are shortened in the middle.
constexpr int recent_text_max = 48;

}  // namespace

QString frame_menus::prompt(int id) {
    for (const prompt_entry& p : prompts) {
        if (p.id == id) return QString::fromUtf8(p.text);
    }
    return {};
}

frame_menus::frame_menus(QWidget* window) : QObject(window), window_(window) {
    // Shared items (the same in both menus).
    QAction* open = make(ID_FILE_OPEN, "開く(&O)...");
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    open->setIcon(QIcon(":/res/tool_open.png"));
    open->setToolTip(QString::fromUtf8("開く"));
    QAction* close = make(ID_FILE_CLOSE, "閉じる(&C)");
    QAction* save = make(ID_FILE_SAVE, "上書き保存(&S)");
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save->setIcon(QIcon(":/res/tool_save.png"));
    save->setToolTip(QString::fromUtf8("上書き保存"));
    QAction* save_as = make(ID_FILE_SAVE_AS, "名前を付けて保存(&A)...");
    recent_placeholder_ = make(ID_FILE_MRU_FILE1, "最新のﾌｧｲﾙ");
    for (int i = 0; i < recent_file_count; ++i) {
        QAction* entry = make(ID_FILE_MRU_FILE1 + i, "");
        entry->setVisible(false);
        recent_entries_.append(entry);
    }
    QAction* exit = make(ID_APP_EXIT, "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)");
    QAction* tool_bar = make(ID_VIEW_TOOLBAR, "ﾂｰﾙ ﾊﾞｰ(&T)");
    QAction* status_bar = make(ID_VIEW_STATUS_BAR, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)");
    for (QAction* toggle : {tool_bar, status_bar}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }
    QAction* extract = make(ID_EXTRACT, "音源パートの抽出(&X)");
    QAction* disp_mode = make(ID_DISP_MODE, "周波数解析表示モード(&M)");
    QAction* ext_param = make(ID_EXT_PARAM, "抽出ﾊﾟﾗﾒｰﾀ設定(&P)");
    QAction* ext_start = make(ID_EXT_START, "抽出開始位置の設定(&S)");
    QAction* ext_end = make(ID_EXT_END, "抽出終了位置の設定(&E)");
    QAction* win_new = make(ID_WINDOW_NEW, "新しいｳｨﾝﾄﾞｳを開く(&N)");
    QAction* win_cascade = make(ID_WINDOW_CASCADE, "重ねて表示(&C)");
    QAction* win_tile = make(ID_WINDOW_TILE_HORZ, "並べて表示(&T)");
    QAction* win_arrange = make(ID_WINDOW_ARRANGE, "ｱｲｺﾝの整列(&A)");

    // Menu 128: no document open.
    QMenu* file128 = make_menu(IDR_MAINFRAME, "ﾌｧｲﾙ(&F)");
    file128->addAction(open);
    file128->addSeparator();
    add_recent_section(file128);
    file128->addSeparator();
    file128->addAction(exit);
    QMenu* view128 = make_menu(IDR_MAINFRAME, "表示(&V)");
    view128->addAction(tool_bar);
    view128->addAction(status_bar);
    QMenu* help128 = make_menu(IDR_MAINFRAME, "ﾍﾙﾌﾟ(&H)");
    help128->addAction(make(ID_APP_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報(Tonewarp)(&A)..."));

    // Menu 129: a document open.
    QMenu* file129 = make_menu(IDR_TONEWPTYPE, "ﾌｧｲﾙ(&F)");
    file129->addAction(open);
    file129->addAction(close);
    file129->addAction(save);
    file129->addAction(save_as);
    file129->addSeparator();
    add_recent_section(file129);
    file129->addSeparator();
    file129->addAction(exit);
    QMenu* edit129 = make_menu(IDR_TONEWPTYPE, "編集(&E)");
    edit129->addAction(extract);
    QMenu* view129 = make_menu(IDR_TONEWPTYPE, "表示(&V)");
    view129->addAction(tool_bar);
    view129->addAction(status_bar);
    view129->addSeparator();
    view129->addAction(disp_mode);
    QMenu* set129 = make_menu(IDR_TONEWPTYPE, "設定(&S)");
    set129->addAction(ext_param);
    set129->addAction(ext_start);
    set129->addAction(ext_end);
    QMenu* win129 = make_menu(IDR_TONEWPTYPE, "ｳｨﾝﾄﾞｳ(&W)");
    win129->setObjectName("window_menu");
    win129->addAction(win_new);
    win129->addAction(win_cascade);
    win129->addAction(win_tile);
    win129->addAction(win_arrange);
    QMenu* help129 = make_menu(IDR_TONEWPTYPE, "ﾍﾙﾌﾟ(&H)");
    help129->addAction(make(ID_APP_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報(Tonewarp) (&A)..."));

    // Accelerator table 128: items without a menu entry. Undo, cut, copy,
    // paste and the pane commands have no handler and do nothing.
    struct accel {
        int id;
        QList<QKeySequence> keys;
    };
    const accel accels[] = {
        {ID_FILE_NEW, {QKeySequence(Qt::CTRL | Qt::Key_N)}},
        {ID_FILE_PRINT, {QKeySequence(Qt::CTRL | Qt::Key_P)}},
        {ID_EDIT_UNDO, {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}},
        {ID_EDIT_CUT, {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
        {ID_EDIT_COPY, {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}},
        {ID_EDIT_PASTE, {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
        {ID_NEXT_PANE, {QKeySequence(Qt::Key_F6)}},
        {ID_PREV_PANE, {QKeySequence(Qt::SHIFT | Qt::Key_F6)}},
    };
    for (const accel& a : accels) {
        QAction* act = make(a.id, "");
        act->setShortcuts(a.keys);
        window_->addAction(act);
    }
    // Menu items with accelerators are window actions as well, so that the
    // keys work whichever of the two menus is shown.
    window_->addAction(open);
    window_->addAction(save);

    // Print setup has no menu item; its action exists so the command can be
    // given by number like every other.
    make(ID_FILE_PRINT_SETUP, "");

    // Tool bar: Open, Save, separator, version box.
    QAction* tool_about = make(ID_APP_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報");
    tool_about->setIcon(QIcon(":/res/tool_about.png"));
    tool_about->setToolTip(QString::fromUtf8("バージョン情報"));
    tool_bar_ = {open, save, nullptr, tool_about};
    for (QAction* a : {open, save}) a->setIconVisibleInMenu(false);
}

QAction* frame_menus::make(int id, const char* text) {
    // Parented to the window, so that hovering an action sends its prompt there.
    auto* act = new QAction(QString::fromUtf8(text), window_);
    act->setData(id);
    act->setStatusTip(prompt(id));
    act->setShortcutContext(Qt::WindowShortcut);
    connect(act, &QAction::triggered, this, [this, id] { emit command(id); });
    all_.append(act);
    return act;
}

QMenu* frame_menus::make_menu(int resource, const char* title) {
    auto* menu = new QMenu(QString::fromUtf8(title), window_);
    menu->setObjectName(QString("menu_%1_%2").arg(resource).arg(menus_[resource].size()));
    menus_[resource].append(menu);
    return menu;
}

void frame_menus::add_recent_section(QMenu* file_menu) {
    file_menu->addAction(recent_placeholder_);
    for (QAction* entry : recent_entries_) file_menu->addAction(entry);
}

const QList<QMenu*>& frame_menus::menus(int resource) const {
    static const QList<QMenu*> none;
    const auto it = menus_.find(resource);
    return it == menus_.end() ? none : it.value();
}

QAction* frame_menus::action(int id) const {
    for (QAction* a : all_) {
        if (a->data().toInt() == id) return a;
    }
    return nullptr;
}

QList<QAction*> frame_menus::actions_with_id(int id) const {
    QList<QAction*> found;
    for (QAction* a : all_) {
        if (a->data().toInt() == id) found.append(a);
    }
    return found;
}

QList<QAction*> frame_menus::tool_bar_actions() const { return tool_bar_; }

QString frame_menus::recent_entry_text(int index, const QString& path) {
    // Files below the working directory are shown relative to it.
    QString shown = QDir::toNativeSeparators(path);
    const QString rel = QDir::current().relativeFilePath(path);
    if (!rel.startsWith("..") && !QFileInfo(rel).isAbsolute()) shown = QDir::toNativeSeparators(rel);
    if (shown.size() > recent_text_max) {
        const QString name = QFileInfo(path).fileName();
        const int keep = recent_text_max - static_cast<int>(name.size()) - 4;
        shown = keep > 3 ? shown.left(keep) + QString::fromUtf8("…/") + name : QString::fromUtf8("…/") + name;
    }
    // A '&' in a file name is shown as itself, not as a mnemonic.
    shown.replace("&", "&&");
    return QString("&%1 %2").arg(index + 1).arg(shown);
}

void frame_menus::set_recent_files(const QStringList& paths) {
    const int n = static_cast<int>(std::min<qsizetype>(paths.size(), recent_entries_.size()));
    recent_placeholder_->setVisible(n == 0);
    for (int i = 0; i < recent_entries_.size(); ++i) {
        QAction* entry = recent_entries_[i];
        if (i < n) {
            entry->setText(recent_entry_text(i, paths[i]));
            entry->setToolTip(paths[i]);
            entry->setVisible(true);
        } else {
            entry->setText(QString());
            entry->setVisible(false);
        }
    }
}
