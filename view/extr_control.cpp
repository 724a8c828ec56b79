#include "view/extr_control.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "document/tonewarp_doc.h"
#include "engine/extr_drive.h"
#include "engine/extr_engine_steps.h"
#include "engine/part_mix.h"
#include "platform/sound_out.h"
#include "view/wave_summary.h"

namespace {

// Documents with a run in progress, one run each. Everything runs on the
// user-interface thread, so a plain set does.
std::set<const CTonewarpDoc*>& running_docs() {
    static std::set<const CTonewarpDoc*> docs;
    return docs;
}

// The engine's steps as the view runs them: the part-list bar goes back to
// the top at the start of a run, and the residual part, which rebuilds the
// mix in the working copy, does so under the sound buffers' lock because
// that copy may be playing.
class view_engine_steps final : public extr_engine_steps {
   public:
    explicit view_engine_steps(extr_host& host) : host_(host) {}
    int add_total_diff_part(extr_state& st, CTonewarpDoc& doc) override {
        sound_buffers_guard g;
        return extr_engine_steps::add_total_diff_part(st, doc);
    }
    void part_list_reset(extr_state& st) override {
        (void)st;
        host_.part_list_reset();
    }

   private:
    extr_host& host_;
};

}  // namespace

bool doc_run_active(const CTonewarpDoc* doc) { return doc != nullptr && running_docs().count(doc) != 0; }

void calc_ext_range(const view_disp_state& st, extr_state& ex, CTonewarpDoc* doc) {
    const std::int64_t frames = doc != nullptr ? doc->frame_count() : st.data_cnt;
    const std::int64_t last = std::max<std::int64_t>(frames, 0) - 1;
    std::int64_t stt = st.stt_mark.set == 1 ? st.stt_mark.smpl : 0;
    std::int64_t end = st.end_mark.set == 1 ? st.end_mark.smpl : last;
    // Marks outside the recording (a click right of its end) are pulled back
    // into it, so neither the engine nor playback reads past the buffers.
    if (last >= 0) {
        stt = std::clamp<std::int64_t>(stt, 0, last);
        end = std::clamp<std::int64_t>(end, 0, last);
    } else {
        stt = 0;
        end = -1;
    }
    ex.anlz_stt_ptr = static_cast<int>(stt);
    ex.anlz_end_ptr = static_cast<int>(end);
    ex.anlz_len = static_cast<int>(end - stt + 1);
    if (doc != nullptr) {
        doc->extr_stt_ptr = ex.anlz_stt_ptr;
        doc->extr_end_ptr = ex.anlz_end_ptr;
        doc->extr_dt_cnt = ex.anlz_len;
    }
}

const char* extr_item_text(extr_item item, const view_disp_state& st, const extr_state& ex) {
    switch (item) {
        case extr_item::extract:
            return ex.extr_stat == 2 ? txt_abort : txt_extract;
        case extr_item::stt_mark:
            return st.stt_mark.set == 1 ? txt_stt_clear : txt_stt_set;
        case extr_item::end_mark:
            return st.end_mark.set == 1 ? txt_end_clear : txt_end_set;
    }
    return "";
}

progress_look calc_progress(const disp_layout& lay, const view_disp_state& st, const extr_state& ex) {
    progress_look p;
    const view_rect& r = lay.scroll_line;
    p.back_x1 = lay.L0 + 1;
    p.back_x2 = lay.R0 - 2;
    p.y1 = r.top + 1;
    p.y2 = r.bottom - 2;
    if (ex.anlz_len <= 0) return p;
    // 64-bit: a long recording times a wide window passes 2^31.
    const std::int64_t done = static_cast<std::int64_t>(ex.anlz_ptr) - ex.anlz_stt_ptr;
    const std::int64_t bar = static_cast<std::int64_t>(lay.R0 - lay.L0 - 1) * done / ex.anlz_len;
    // The last batch may pass the range end by part of a hop: the bar stays
    // inside the black background.
    p.bar = true;
    p.bar_x2 = static_cast<int>(
        std::clamp<std::int64_t>(p.back_x1 + bar, p.back_x1, std::max(p.back_x1, p.back_x2)));
    const int cw = st.cw > 0 ? st.cw : fallback_cw;
    const int ch = st.ch > 0 ? st.ch : fallback_ch;
    if (bar >= 9LL * cw) {
        const double pct = static_cast<double>(done) * 100.0 / ex.anlz_len;
        if (pct < 200.0) {
            p.pct_shown = true;
            std::snprintf(p.pct_text, sizeof p.pct_text, "%7.3f％", pct);
            p.col = p.back_x1 / cw + 1;
            p.row = p.y1 / ch + 1;
        }
    }
    return p;
}

extr_control::extr_control(view_disp_state& st, extr_state& ex, CTonewarpDoc* doc, extr_host& host,
                           std::unique_ptr<extr_steps> steps)
    : st_(st), ex_(ex), doc_(doc), host_(host), steps_(std::move(steps)) {
    if (!steps_) steps_ = std::make_unique<view_engine_steps>(host_);
}

extr_control::~extr_control() {
    if (ex_.extr_stat != 0 && doc_ != nullptr && claimed_) {
        // Parts found so far stay with the document; only the run's own areas go.
        steps_->free_coef_area(ex_, *doc_);
        ex_.extr_stat = 0;
    }
    release_doc();
}

bool extr_control::claim_doc() {
    if (claimed_) return true;
    if (!running_docs().insert(doc_).second) return false;
    claimed_ = true;
    return true;
}

void extr_control::release_doc() {
    if (!claimed_) return;
    running_docs().erase(doc_);
    claimed_ = false;
}

void extr_control::on_extract() {
    switch (ex_.extr_stat) {
        case 0: {
            calc_ext_range();
            if (st_.stt_mark.set == 1 && st_.end_mark.set == 1 &&
                (st_.stt_mark.smpl >= st_.end_mark.smpl || ex_.anlz_stt_ptr >= ex_.anlz_end_ptr)) {
                host_.show_message(msg_bad_range);
                return;
            }
            if (doc_ == nullptr) return;
            if (!claim_doc()) {
                host_.show_message(msg_doc_busy);
                return;
            }
            ex_.err_stop = 2;
            ex_.extr_stat = 1;
            host_.set_item_text(extr_item::extract, txt_abort);
            host_.hide_start_scroll();
            // Running afterwards, or finishing at the next tick when the
            // first batch already covered the range.
            view_extr_step();
            return;
        }
        case 2:
            host_.set_item_text(extr_item::extract, txt_extract);
            ex_.extr_stat = 3;
            return;
        default:
            return;  // starting or finishing: the next tick decides
    }
}

void extr_control::on_mark(ext_mark_kind kind) {
    if (ex_.extr_stat != 0) {
        calc_ext_range();
        return;
    }
    const bool start = kind == ext_mark_kind::start;
    pos_mark& m = start ? st_.stt_mark : st_.end_mark;
    const extr_item item = start ? extr_item::stt_mark : extr_item::end_mark;
    if (m.set != 1) {
        if (st_.clk_mark.set != 1) {
            host_.show_message(msg_no_click);
            calc_ext_range();
            return;
        }
        m.x = st_.clk_mark.x;
        m.smpl = st_.clk_mark.smpl;
        m.sec = st_.clk_mark.sec;
        m.set = 1;
        host_.set_item_text(item, start ? txt_stt_clear : txt_end_clear);
    } else {
        m = pos_mark{};
        host_.set_item_text(item, start ? txt_stt_set : txt_end_set);
    }
    host_.redraw_values();
    calc_ext_range();
}

void extr_control::view_extr_step() {
    if (doc_ == nullptr) return;
    const extr_drive_result r = extr_drive_step(ex_, *doc_, *steps_);
    const bool ended = r == extr_drive_result::end || r == extr_drive_result::finished;
    // A step registers, extends, smooths or releases part waveforms, and the
    // finishing step mixes into the working copy; the original stays.
    note_wave_change(doc_, ended ? wave_parts | wave_copy : wave_parts);
    if (ended) host_.end_of_run_layout();
}

void extr_control::finish_tick() {
    view_extr_step();  // the run is idle afterwards
    if (doc_ != nullptr) {
        // The working copy may be playing in this or another view of the document.
        sound_buffers_guard g;
        make_mdfy_dt_from_each_part(ex_, *doc_);
        note_wave_change(doc_, wave_copy);
    }
    release_doc();
    host_.redraw_frame_and_values();
    host_.set_item_text(extr_item::extract, txt_extract);
}

void extr_control::on_timer() {
    // The count wraps to 0 instead of overflowing; ticks 1, 5, 9, ... stay so.
    tick_cnt_ = tick_cnt_ == 0x7FFFFFFC ? 0 : tick_cnt_ + 1;
    calc_ext_range();
    if (ex_.extr_stat == 2) {
        // No tick piles up behind a long batch.
        if (host_.timer_active()) host_.stop_timer();
        view_extr_step();  // finishing afterwards when a step failed
        if (tick_cnt_ % 4 == 1 && ex_.extr_stat != 3) host_.repaint_progress();
        host_.start_timer();
    } else if (ex_.extr_stat == 3) {
        finish_tick();
    }
    host_.playback_step();
}
