#include "tests/soak/soak_driver.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <array>

#include "app/gui/child_frame.h"
#include "app/gui/command_ids.h"
#include "app/gui/doc_template.h"
#include "app/gui/frame_menus.h"
#include "app/gui/main_frame.h"
#include "document/tonewarp_doc.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/test_dir.h"
#include "view/key_sequences.h"
#include "view/layout.h"
#include "view/tonewarp_view.h"

namespace {

// More documents or windows than this and the commands that add one close one instead.
constexpr int max_documents = 3;
constexpr int max_windows = 5;

// The view's rectangles a click aims at when it aims (buttons, panes, parts).
std::vector<view_rect> targets(const disp_layout& l) {
    std::vector<view_rect> t = {l.zoom_in_btn, l.zoom_in_x8,  l.zoom_out_btn, l.zoom_out_x8,
                                l.orgn_wave,   l.orgn_pane_L, l.orgn_pane_R,  l.scroll_line,
                                l.copy_wave,   l.spc_inner,   l.copy_pane_R};
    for (const view_rect& r : l.play_btn) t.push_back(r);
    for (int i = 0; i < view_part_slots; ++i) {
        t.push_back(l.prt_outer[i]);
        t.push_back(l.prt_wave[i]);
    }
    return t;
}

}  // namespace

std::uint64_t orgn_dt_hash(const CTonewarpDoc& doc) {
    std::uint64_t h = 1469598103934665603ull;
    if (doc.orgn_dt == nullptr || doc.data_len() <= 0) return h;
    const std::int64_t bytes = static_cast<std::int64_t>(doc.data_len()) * 5 / 4;
    for (std::int64_t i = 0; i < bytes; ++i) {
        h ^= doc.orgn_dt[i];
        h *= 1099511628211ull;
    }
    return h;
}

soak_driver::soak_driver(CTonewarpApp& app, queued_file_prompter& files, std::uint32_t seed,
                         std::string recording)
    : app_(app), files_(files), rng_(seed), recording_(std::move(recording)), closer_(new QTimer) {
    pristine_ = read_file_bytes(recording_);
    closer_->setInterval(5);
    QObject::connect(closer_, &QTimer::timeout, [this] { answer_modal(); });
    closer_->start();
}

soak_driver::~soak_driver() { delete closer_; }

int soak_driver::pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
bool soak_driver::chance(double p) { return std::bernoulli_distribution(p)(rng_); }

CTonewarpView* soak_driver::active_view() const {
    CMainFrame* f = app_.main_frame();
    return f != nullptr ? qobject_cast<CTonewarpView*>(f->active_view_widget()) : nullptr;
}

bool soak_driver::run(int n, int per_turn) {
    for (int i = 0; i < n; ++i) {
        one_event();
        ++counts_.events;
        if (!check_originals()) return false;
        track_documents();
        if ((i + 1) % per_turn == 0) {
            QTest::qWait(1);
        } else {
            QCoreApplication::processEvents();
        }
        if ((i + 1) % 100 == 0 && !check_originals()) return false;
    }
    return check_originals();
}

void soak_driver::settle(int max_ms) {
    QElapsedTimer t;
    t.start();
    auto running = [this] {
        for (const auto& d : app_.doc_template().documents())
            for (CChildFrame* f : d->frames())
                if (auto* v = qobject_cast<CTonewarpView*>(f != nullptr ? f->view() : nullptr))
                    if (v->extr().extr_stat != 0) return true;
        return false;
    };
    while (running() && t.elapsed() < max_ms) {
        QTest::qWait(20);
        track_documents();
    }
}

void soak_driver::one_event() {
    CTonewarpView* v = active_view();
    if (v == nullptr) {
        // Nothing to click on: the user opens the recording (or, now and then, a new one).
        if (chance(0.8)) {
            open_recording();
        } else {
            menu_command();
        }
        return;
    }
    last_event_.clear();
    const int r = pick(0, 99);
    if (r < 55) {
        click_in_view(*v);
    } else if (r < 70) {
        key_in_view(*v);
    } else if (r < 76) {
        type_sequence(*v);
    } else {
        menu_command();
    }
}

void soak_driver::click_in_view(CTonewarpView& v) {
    const int r = pick(0, 99);
    // Scroll bars: a click on the arrows, the trough or the thumb of a shown one.
    if (r < 12) {
        for (view_scroll* sb : {&v.start_scroll(), &v.part_scroll()}) {
            if (sb->bar != nullptr && sb->bar->isVisible() && chance(0.6)) {
                QScrollBar* bar = sb->bar;
                const QPoint p(pick(0, std::max(0, bar->width() - 1)),
                               pick(0, std::max(0, bar->height() - 1)));
                QTest::mouseClick(bar, Qt::LeftButton, {}, p);
                ++counts_.by_kind["scroll bar click"];
                return;
            }
        }
    }
    QPoint p(pick(0, std::max(0, v.width() - 1)), pick(0, std::max(0, v.height() - 1)));
    if (r >= 12 && r < 60 && v.initialised()) {
        const std::vector<view_rect> t = targets(v.layout());
        const view_rect& a = t[static_cast<std::size_t>(pick(0, static_cast<int>(t.size()) - 1))];
        if (a.right > a.left && a.bottom > a.top)
            p = QPoint(pick(a.left, a.right - 1), pick(a.top, a.bottom - 1));
    }
    const int how = pick(0, 99);
    if (how < 8) {
        // The right-click menu (its answer comes from the closer).
        QContextMenuEvent e(QContextMenuEvent::Mouse, p, v.mapToGlobal(p));
        QApplication::sendEvent(&v, &e);
        ++counts_.by_kind["right click"];
        last_event_ = "right click";
    } else if (how < 18) {
        QTest::mouseDClick(&v, Qt::LeftButton, {}, p);
        ++counts_.by_kind["double click"];
        last_event_ = "double click";
    } else {
        QTest::mouseClick(&v, Qt::LeftButton, {}, p);
        ++counts_.by_kind["left click"];
    }
}

void soak_driver::key_in_view(CTonewarpView& v) {
    static constexpr std::array keys = {Qt::Key_Left,   Qt::Key_Right,    Qt::Key_Up,     Qt::Key_Down,
                                        Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home,   Qt::Key_End,
                                        Qt::Key_Escape, Qt::Key_Insert,   Qt::Key_Return, Qt::Key_Delete,
                                        Qt::Key_Space,  Qt::Key_Tab};
    if (chance(0.5)) {
        QTest::keyClick(&v, keys[static_cast<std::size_t>(pick(0, static_cast<int>(keys.size()) - 1))]);
    } else {
        // A typed character; often one of the sequences' own letters.
        static const char letters[] = "Xq0123456789AlphaBravoCharlDeltaEchooFoxtrGolfyHotelIndiaJulie";
        const char c = chance(0.8) ? letters[pick(0, static_cast<int>(sizeof letters) - 2)]
                                   : static_cast<char>(pick(0x20, 0x7E));
        QTest::keyClick(&v, c);
    }
    ++counts_.by_kind["key"];
}

void soak_driver::type_sequence(CTonewarpView& v) {
    // Logging on makes every frame of a run write to the log: rarely, and it goes off again soon.
    int s = pick(0, key_seq_count - 1);
    if (s == static_cast<int>(key_seq::log_on) && chance(0.8)) s = static_cast<int>(key_seq::log_off);
    QTest::keyClicks(&v, QString::fromLatin1(key_seq_text(static_cast<key_seq>(s)), key_buf_len));
    ++counts_.by_kind[std::string("typed ") + key_seq_text(static_cast<key_seq>(s))];
    last_event_ = std::string("typed ") + key_seq_text(static_cast<key_seq>(s));
}

void soak_driver::open_recording() {
    // Saves may have rewritten the file: every open reads the same recording.
    write_file_bytes(recording_, pristine_);
    files_.answers = {chance(0.9) ? QString::fromStdString(recording_) : QString()};
    app_.main_frame()->dispatch(cmd::ID_FILE_OPEN);
    files_.answers.clear();
    ++counts_.opens;
}

void soak_driver::menu_command() {
    using namespace cmd;
    struct weighted {
        int id;
        int weight;
    };
    static constexpr std::array<weighted, 22> commands = {{
        {ID_EXTRACT, 14},         {ID_EXT_START, 8},      {ID_EXT_END, 8},    {ID_DISP_MODE, 8},
        {ID_EXT_PARAM, 3},        {ID_FILE_NEW, 2},       {ID_FILE_OPEN, 3},  {ID_FILE_CLOSE, 3},
        {ID_FILE_SAVE, 1},        {ID_FILE_SAVE_AS, 1},   {ID_WINDOW_NEW, 3}, {ID_WINDOW_CASCADE, 1},
        {ID_WINDOW_TILE_HORZ, 1}, {ID_WINDOW_ARRANGE, 1}, {ID_APP_ABOUT, 1},  {ID_VIEW_TOOLBAR, 1},
        {ID_VIEW_STATUS_BAR, 1},  {ID_EDIT_UNDO, 1},      {ID_NEXT_PANE, 1},  {ID_FILE_MRU_FILE1, 2},
        {ID_FIRST_MDICHILD, 5},   {ID_EDIT_PASTE, 1},
    }};
    int total = 0;
    for (const weighted& c : commands) total += c.weight;
    int r = pick(0, total - 1);
    int id = commands[0].id;
    for (const weighted& c : commands) {
        if (r < c.weight) {
            id = c.id;
            break;
        }
        r -= c.weight;
    }
    CMainFrame* frame = app_.main_frame();
    const auto& docs = app_.doc_template().documents();
    const int windows = frame->mdi_area()->subWindowList().size();
    if ((id == ID_FILE_NEW || id == ID_FILE_OPEN || id == ID_FILE_MRU_FILE1) &&
        static_cast<int>(docs.size()) >= max_documents)
        id = ID_FILE_CLOSE;
    if (id == ID_WINDOW_NEW && windows >= max_windows) id = ID_FILE_CLOSE;
    ++counts_.by_kind["menu " + std::to_string(id)];
    last_event_ = "menu " + std::to_string(id);
    switch (id) {
        case ID_FILE_OPEN:
            open_recording();
            return;
        case ID_FIRST_MDICHILD:
            // A choice from the window list.
            frame->mdi_area()->activateNextSubWindow();
            return;
        case ID_FILE_SAVE_AS:
            files_.answers = {chance(0.7) ? QString("saved.wav") : QString()};
            break;
        case ID_FILE_MRU_FILE1:
            write_file_bytes(recording_, pristine_);
            break;
        case ID_EXTRACT:
            if (CTonewarpView* v = active_view(); v != nullptr && v->extr().extr_stat == 0)
                ++counts_.extractions_started;
            break;
        default:
            break;
    }
    // Through the menu's own action where there is one, as a user's choice would go.
    if (QAction* a = frame->menus().action(id); a != nullptr && chance(0.5)) {
        a->trigger();
    } else {
        frame->dispatch(id);
    }
    files_.answers.clear();
}

void soak_driver::answer_modal() {
    QWidget* w = QApplication::activePopupWidget();
    if (w == nullptr) w = QApplication::activeModalWidget();
    if (w == nullptr || !w->isVisible()) {
        modal_seen_ = nullptr;
        return;
    }
    // Give a window a few turns to be shown and painted (dialog fields are
    // filled on the first paint).
    if (w != modal_seen_) {
        modal_seen_ = w;
        modal_age_ = 0;
    }
    if (++modal_age_ < 3) return;
    modal_seen_ = nullptr;
    if (auto* menu = qobject_cast<QMenu*>(w)) {
        if (chance(0.3)) {
            QTest::keyClick(menu, Qt::Key_Escape);
            return;
        }
        const int downs = pick(1, 4);
        for (int i = 0; i < downs; ++i) QTest::keyClick(menu, Qt::Key_Down);
        QTest::keyClick(menu, Qt::Key_Return);
        ++counts_.popup_choices;
        return;
    }
    auto* dlg = qobject_cast<QDialog*>(w);
    if (dlg == nullptr) return;
    if (chance(0.25)) {
        // Now and then the user types into one of the fields first.
        const QList<QLineEdit*> edits = dlg->findChildren<QLineEdit*>();
        if (!edits.isEmpty()) {
            QLineEdit* e = edits[pick(0, static_cast<int>(edits.size()) - 1)];
            static const char* texts[] = {"",    "0",        "-1",    "12",          "99999999999",
                                          "abc", "Part_001", "1.5e3", "Total_Diff.", "ＡＢＣ音源",
                                          " 7 "};
            e->setText(QString::fromUtf8(texts[pick(0, 10)]));
        }
    }
    if (chance(0.5)) {
        ++counts_.dialogs_ok;
        dlg->accept();
        // A refused OK leaves the dialog open; the user then cancels it.
        if (dlg->isVisible() && chance(0.5)) dlg->reject();
    } else {
        ++counts_.dialogs_cancel;
        dlg->reject();
    }
}

void soak_driver::track_documents() {
    std::erase_if(orgn_hash_, [](const auto& e) { return e.first.isNull(); });
    std::map<const CTonewarpView*, int> stats;
    for (const auto& d : app_.doc_template().documents()) {
        doc_entry* entry = d.get();
        if (std::none_of(orgn_hash_.begin(), orgn_hash_.end(),
                         [entry](const auto& e) { return e.first == entry; }))
            orgn_hash_.emplace_back(entry, orgn_dt_hash(entry->doc()));
        for (CChildFrame* f : d->frames()) {
            auto* v = qobject_cast<CTonewarpView*>(f != nullptr ? f->view() : nullptr);
            if (v == nullptr) continue;
            const int now = v->extr().extr_stat;
            auto was = last_stat_.find(v);
            if (was != last_stat_.end() && was->second != 0 && now == 0) ++counts_.runs_finished;
            stats[v] = now;
        }
    }
    last_stat_.swap(stats);
}

bool soak_driver::check_originals() {
    ++counts_.hash_checks;
    for (const auto& [entry, hash] : orgn_hash_) {
        if (entry.isNull()) continue;
        const CTonewarpDoc& doc = entry->doc();
        if (orgn_dt_hash(doc) != hash) {
            why_ = "the original samples of " + entry->title().toStdString() + " (" +
                   std::to_string(doc.data_len()) + " data bytes, " + std::to_string(doc.intPart_Cnt) +
                   " parts) changed after " + std::to_string(counts_.events) +
                   " events; last event: " + last_event_;
            return false;
        }
    }
    return true;
}
