#include "engine/frame_ahead.h"

#include <system_error>

#include "document/tonewarp_doc.h"
#include "engine/extr_state.h"
#include "engine/frame_bins.h"

namespace {

std::atomic<bool> threads_refused{false};

}  // namespace

frame_ahead::~frame_ahead() { stop(); }

void frame_ahead::refuse_threads(bool refuse) { threads_refused = refuse; }

bool frame_ahead::start(extr_state& st, const CTonewarpDoc& doc) {
    stop();
    ring_[0] = &st.spc_hst_L;
    ring_[1] = &st.spc_hst_R;
    buf_ = doc.orgn_dt;
    frame_cnt_ = doc.orgn_dt != nullptr ? doc.frame_count() : 0;
    stt_ = st.anlz_stt_ptr;
    hop_ = st.frm_len / 8 > 1 ? st.frm_len / 8 : 1;  // as the frame loop steps
    n_ = st.bins();
    grid_ = chg_grid_for(n_, st.bin_half_w);
    // The frame loop stops after the pair whose next position reaches the
    // range end; a range shorter than a hop still has one pair.
    const std::int64_t span = static_cast<std::int64_t>(st.anlz_end_ptr) - stt_;
    const std::int64_t pairs = span > 0 ? (span + hop_ - 1) / hop_ : 1;
    total_ = static_cast<long>(2 * pairs);
    next_ = 0;
    claim_ = 0;
    consumed_ = 0;
    stop_ = false;
    for (auto& r : ready_) r = 0;
    // The tables are read by both threads from here on: built now, once.
    dft_prepare(n_);
    if (threads_refused) return false;
    try {
        worker_ = std::thread([this] { work(); });
    } catch (const std::system_error&) {
        return false;
    }
    running_ = true;
    return true;
}

void frame_ahead::stop() {
    if (!running_) return;
    stop_ = true;
    consumed_.fetch_add(slots);  // wakes a worker waiting for room
    consumed_.notify_all();
    worker_.join();
    running_ = false;
}

void frame_ahead::make(int ch, std::int64_t pos, double* re, double* im, double* abs, frame_extra& e,
                       double* samples) const {
    frame_samples(buf_, frame_cnt_, pos, ch, n_, samples);
    exec_dft_real(n_, samples, re, im);
    e.volume = frame_volume(n_, samples);
    frame_abs(n_ / 2, re, im, abs);
    if (grid_.tag != chg_wsum_none) chg_window_sums(abs, grid_, e.wsum);
    e.wsum_tag = grid_.tag;
}

void frame_ahead::make_ahead(long c, double* samples) {
    const long f = c / 2;
    const int ch = static_cast<int>(c % 2);
    hst_ring& ring = *ring_[ch];
    make(ch, stt_ + static_cast<std::int64_t>(f) * hop_, ring.frame_re(f), ring.frame_im(f), ring.frame_abs(f),
         extra_[c % slots], samples);
}

void frame_ahead::work() {
    for (;;) {
        if (stop_.load(std::memory_order_acquire)) return;
        long c = claim_.load(std::memory_order_acquire);
        if (c >= total_) return;
        // Room: the slot of frame c held frame c - slots, which must have
        // been taken; the history rows follow from the same bound.
        const long done = consumed_.load(std::memory_order_acquire);
        if (c >= done + slots) {
            consumed_.wait(done, std::memory_order_acquire);
            continue;
        }
        if (!claim_.compare_exchange_strong(c, c + 1, std::memory_order_acq_rel)) continue;
        make_ahead(c, worker_samples_);
        std::atomic<long>& r = ready_[c % slots];
        r.store(c + 1, std::memory_order_release);
        r.notify_one();
    }
}

void frame_ahead::wait_for(long c) {
    // While the worker makes frame c, this thread makes the next frames
    // nobody has started, as the worker would: the two share the frames
    // instead of one waiting for the other.
    std::atomic<long>& r = ready_[c % slots];
    for (;;) {
        const long v = r.load(std::memory_order_acquire);
        if (v == c + 1) return;
        long d = claim_.load(std::memory_order_acquire);
        if (d < total_ && d < c + slots) {
            if (claim_.compare_exchange_strong(d, d + 1, std::memory_order_acq_rel)) {
                make_ahead(d, loop_samples_);
                std::atomic<long>& rd = ready_[d % slots];
                rd.store(d + 1, std::memory_order_release);
            }
            continue;
        }
        r.wait(v, std::memory_order_acquire);
    }
}

const frame_extra& frame_ahead::take(int ch, std::int64_t pos) {
    const long c = next_++;
    const long f = c / 2;
    hst_ring& ring = *ring_[ch];
    frame_extra& e = extra_[c % slots];
    // Frames come left, right, left, ... at the fixed hop into the spare
    // rows; anything else and the worker's frames are of no use.
    if (ch != c % 2 || pos != stt_ + static_cast<std::int64_t>(f) * hop_ || ring.frame_re(f) != ring.next_re()) {
        stop();
        make(ch, pos, ring.next_re(), ring.next_im(), ring.next_abs(), e, loop_samples_);
        return e;
    }
    if (running_) {
        long expected = c;
        if (claim_.compare_exchange_strong(expected, c + 1, std::memory_order_acq_rel)) {
            make_ahead(c, loop_samples_);  // the worker has not come to it: made here
        } else {
            wait_for(c);
        }
    } else {
        make_ahead(c, loop_samples_);
    }
    // The slot of frame c is free again once the caller has read it: the
    // next take at the earliest.
    consumed_.store(c, std::memory_order_release);
    consumed_.notify_one();
    return e;
}
