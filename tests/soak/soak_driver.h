// A seeded random user for the real main window: clicks anywhere in the
// active recording view (buttons, icons, scroll bars, part titles), keys and
// the typed eight-character sequences, menu commands, window switching, and
// modal dialogs and menus answered at random by a timer-driven closer.
// Message boxes and file prompts are answered by the GUI test fixture.
#pragma once

#include <QPointer>
#include <QStringList>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/gui/doc_entry.h"
#include "app/gui/tonewarp_app.h"

class CTonewarpDoc;
class CTonewarpView;
class QTimer;
class queued_file_prompter;

// What one soak run did, per kind of event.
struct soak_counts {
    std::map<std::string, std::int64_t> by_kind;
    std::int64_t events = 0;
    std::int64_t dialogs_ok = 0;
    std::int64_t dialogs_cancel = 0;
    std::int64_t popup_choices = 0;
    std::int64_t opens = 0;
    std::int64_t extractions_started = 0;
    std::int64_t runs_finished = 0;  // a view seen going from running back to state 0
    std::int64_t hash_checks = 0;
};

class soak_driver {
   public:
    // recording: the file the open prompt answers with; its pristine bytes
    // are written back before every open, since saves may rewrite it.
    soak_driver(CTonewarpApp& app, queued_file_prompter& files, std::uint32_t seed, std::string recording);
    ~soak_driver();
    soak_driver(const soak_driver&) = delete;
    soak_driver& operator=(const soak_driver&) = delete;

    // Runs n events, letting the event loop (and so the 100 ms timers) turn
    // after every per_turn events. Returns false at the first document whose
    // original samples changed (why() tells which).
    bool run(int n, int per_turn);
    // Waits (event loop running, closer answering) until no view extracts or
    // max_ms passes.
    void settle(int max_ms);

    // Compares the original samples of every open document with their hash
    // at open; false (with why()) on the first difference.
    bool check_originals();

    const soak_counts& counts() const { return counts_; }
    const std::string& why() const { return why_; }

   private:
    void one_event();
    void click_in_view(CTonewarpView& v);
    void key_in_view(CTonewarpView& v);
    void type_sequence(CTonewarpView& v);
    void menu_command();
    void open_recording();
    void answer_modal();
    void track_documents();
    int pick(int lo, int hi);
    bool chance(double p);
    CTonewarpView* active_view() const;

    CTonewarpApp& app_;
    queued_file_prompter& files_;
    std::mt19937 rng_;
    std::string recording_;
    std::string pristine_;
    QTimer* closer_;
    std::int64_t modal_age_ = 0;
    const void* modal_seen_ = nullptr;
    // Hash of each open document's original samples when first seen; the
    // guarded pointer forgets a closed document, so that a new one at the
    // same address is never compared with the old one's hash.
    std::vector<std::pair<QPointer<doc_entry>, std::uint64_t>> orgn_hash_;
    std::map<const CTonewarpView*, int> last_stat_;
    soak_counts counts_;
    std::string why_;
    std::string last_event_;
};

// FNV-1a over the whole original-sample buffer (data bytes and zero padding).
std::uint64_t orgn_dt_hash(const CTonewarpDoc& doc);
