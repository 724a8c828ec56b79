#include "view/wave_columns.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

void wave_run::fold(std::int64_t cnt, int& lo, int& hi) const {
    if (sum != nullptr) {
        sum->fold(chnl, pos, cnt, lo, hi);
        return;
    }
    for (std::int64_t j = 0; j < cnt; ++j) {
        const int v = at(j);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
}

wave_run buffer_wave_source::run_at(std::int64_t idx) const {
    if (frames_ == nullptr || idx < 0 || idx >= data_cnt_) return {};
    return {frames_ + 4 * idx + 2 * chnl_, data_cnt_ - idx, sum_, idx, chnl_};
}

namespace {

// The fine summary block holding frame idx of a buffer: the samples a
// column starting there reads one by one.
void prefetch_block(const unsigned char* frames, std::int64_t idx) {
    const std::int64_t first = idx / wave_summary::fine_len * wave_summary::fine_len;
    const unsigned char* p = frames + 4 * first;
    for (int k = 0; k < 4 * wave_summary::fine_len; k += 64) __builtin_prefetch(p + k);
}

}  // namespace

void buffer_wave_source::prefetch(std::int64_t idx) const {
    if (frames_ != nullptr && sum_ != nullptr && idx >= 0 && idx < data_cnt_) prefetch_block(frames_, idx);
}

void part_wave_source::prefetch(std::int64_t idx) const {
    if (sum_ == nullptr || rec_ == nullptr || frames_ == nullptr) return;
    const int r = first_cover(idx, prefetch_cursor_);
    if (r < 0) return;
    if (const wave_run run = run_of(r, idx); run.n > 0) prefetch_block(frames_, run.pos);
}

void part_wave_source::span(int r, std::int64_t& start, std::int64_t& end) const {
    const msc_prt_inf_t& rec = rec_[r];
    const bool left = chnl_ == 0;
    start = left ? rec.stt_orgn_L : rec.stt_orgn_R;
    end = start + (left ? rec.data_cnt_L : rec.data_cnt_R);  // inclusive; below start covers nothing
}

wave_run part_wave_source::run_of(int r, std::int64_t idx) const {
    std::int64_t stt = 0, end = 0;
    span(r, stt, end);
    // An offset outside the buffer (a damaged record) covers nothing.
    const std::int64_t ofs = (chnl_ == 0 ? rec_[r].stt_ofs_L : rec_[r].stt_ofs_R) + (idx - stt);
    if (ofs < 0 || ofs >= cap_) return {};
    return {frames_ + 4 * ofs + 2 * chnl_, std::min(end - idx + 1, cap_ - ofs), sum_, ofs, chnl_};
}

int part_wave_source::first_cover(std::int64_t idx, std::size_t& cursor) const {
    if (idx_first_ <= idx && idx <= idx_last_) {
        // The last stretch starting at or before idx (the first starts at
        // idx_first_): a few steps on from the cursor, else a binary search.
        if (cursor >= stretch_.size() || stretch_[cursor].first > idx) cursor = 0;
        for (int step = 0; step < 4; ++step) {
            if (cursor + 1 == stretch_.size() || stretch_[cursor + 1].first > idx)
                return stretch_[cursor].rec;
            ++cursor;
        }
        const auto it =
            std::upper_bound(stretch_.begin() + static_cast<std::ptrdiff_t>(cursor), stretch_.end(), idx,
                             [](std::int64_t v, const stretch& s) { return v < s.first; });
        cursor = static_cast<std::size_t>(std::prev(it) - stretch_.begin());
        return stretch_[cursor].rec;
    }
    for (int r = 0; r < rec_cnt_; ++r) {
        std::int64_t stt = 0, end = 0;
        span(r, stt, end);
        if (stt <= idx && idx <= end) return r;
    }
    return -1;
}

void part_wave_source::prepare(std::int64_t first, std::int64_t last) const {
    stretch_.clear();
    run_cursor_ = prefetch_cursor_ = 0;
    idx_first_ = first;
    idx_last_ = first - 1;
    if (rec_ == nullptr || frames_ == nullptr || last < first) return;

    // The records' spans cut to first .. last, and every place where the
    // set of covering records can change.
    struct cut {
        std::int64_t start;
        int rec;
    };
    std::vector<cut> starts;
    std::vector<std::int64_t> ends(static_cast<std::size_t>(std::max(rec_cnt_, 0)));
    std::vector<std::int64_t> bounds{first};
    for (int r = 0; r < rec_cnt_; ++r) {
        std::int64_t stt = 0, end = 0;
        span(r, stt, end);
        stt = std::max(stt, first);
        end = std::min(end, last);
        if (stt > end) continue;
        starts.push_back({stt, r});
        ends[static_cast<std::size_t>(r)] = end;
        bounds.push_back(stt);
        bounds.push_back(end + 1);
    }
    std::sort(starts.begin(), starts.end(), [](const cut& a, const cut& b) { return a.start < b.start; });
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());

    // Sweep: the records begun so far in a min-heap of record numbers; one
    // whose span ended leaves the heap when it comes to the top.
    std::vector<int> heap;
    std::size_t next = 0;
    for (const std::int64_t x : bounds) {
        while (next < starts.size() && starts[next].start <= x) {
            heap.push_back(starts[next++].rec);
            std::push_heap(heap.begin(), heap.end(), std::greater<>());
        }
        while (!heap.empty() && ends[static_cast<std::size_t>(heap.front())] < x) {
            std::pop_heap(heap.begin(), heap.end(), std::greater<>());
            heap.pop_back();
        }
        const int rec = heap.empty() ? -1 : heap.front();
        if (stretch_.empty() || stretch_.back().rec != rec) stretch_.push_back({x, rec});
    }
    idx_last_ = last;
}

wave_run part_wave_source::run_at(std::int64_t idx) const {
    if (rec_ == nullptr || frames_ == nullptr) return {};
    const int r = first_cover(idx, run_cursor_);
    return r < 0 ? wave_run{} : run_of(r, idx);
}

int wave_y(const view_rect& pane, int v) {
    const int mid = pane.top + (pane.bottom - pane.top) / 2;
    const std::int64_t amp = (pane.bottom - pane.top) / 2 - 1;
    const std::int64_t y = mid - amp * v / 32768;  // C++ division truncates toward zero
    return static_cast<int>(std::clamp<std::int64_t>(y, pane.top, pane.bottom));
}

int plan_wave_pane(const view_rect& pane, const wave_source& src, std::int64_t draw_stt,
                   std::int64_t data_cnt, double smpl_per_pix, const wave_line_fn& line) {
    if (!(smpl_per_pix > 0.0)) return 0;
    const bool part = src.is_part();

    const int width = pane.right - pane.left;
    src.prepare(draw_stt, column_frame(draw_stt, smpl_per_pix, std::max(width - 3, 0)));

    // The carried value starts as the sample at the drawing start (0 where nothing covers it).
    int carry = 0;
    if (const wave_run r0 = src.run_at(draw_stt); r0.n > 0) carry = r0.at(0);

    int columns = 0;
    if (smpl_per_pix > 1.0) {
        const std::int64_t n = static_cast<std::int64_t>(smpl_per_pix);
        for (int i = 1; i < width - 2; ++i) {
            const std::int64_t idx = column_frame(draw_stt, smpl_per_pix, i);
            if (idx < 0 || idx >= data_cnt) break;
            ++columns;
            // Columns far apart in memory: the one after next is on its way meanwhile.
            if (n >= 2 * wave_summary::fine_len) src.prefetch(column_frame(draw_stt, smpl_per_pix, i + 2));
            const wave_run run = src.run_at(idx);
            if (run.n <= 0) continue;  // a part with no record here: empty column
            const std::int64_t cnt = std::min({n, run.n, data_cnt - idx});
            int lo = part ? 32767 : carry;
            int hi = part ? -32767 : carry;
            run.fold(cnt, lo, hi);
            if (!part) carry = run.at(cnt - 1);
            const int y1 = wave_y(pane, lo);
            int y2 = wave_y(pane, hi);
            if (y2 == y1) y2 = y1 + 1;
            line(pane.left + i + 1, y1, pane.left + i + 1, y2);
        }
    } else {
        for (int i = 1; i < width - 2; ++i) {
            const std::int64_t idx = column_frame(draw_stt, smpl_per_pix, i);
            if (idx < 0 || idx >= data_cnt) break;
            ++columns;
            const wave_run run = src.run_at(idx);
            const int v = run.n > 0 ? run.at(0) : 0;
            line(pane.left + i, wave_y(pane, carry), pane.left + i + 1, wave_y(pane, v));
            carry = v;
        }
    }
    return columns;
}
