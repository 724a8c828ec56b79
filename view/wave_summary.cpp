#include "view/wave_summary.h"

#include <algorithm>
#include <array>
#include <map>

#include "document/le_bytes.h"

namespace {

constexpr std::int64_t fine = wave_summary::fine_len;
constexpr std::int64_t coarse = wave_summary::coarse_len;
constexpr std::int64_t chunk = wave_summary::chunk_len;

std::int64_t round_up(std::int64_t v, std::int64_t m) { return (v + m - 1) / m * m; }
std::int64_t round_down(std::int64_t v, std::int64_t m) { return v / m * m; }

// Announced changes per document, drawn from one counter so that stamps only grow.
struct change_stamps {
    std::uint64_t counter = 0;
    std::map<const void*, std::array<std::uint64_t, 3>> by_doc;  // per kind: original, copy, parts
};
change_stamps& stamps() {
    static change_stamps s;
    return s;
}

}  // namespace

void wave_summary::reset(const unsigned char* frames, std::int64_t cnt) {
    frames_ = frames;
    cnt_ = frames != nullptr ? std::max<std::int64_t>(cnt, 0) : 0;
    const auto n_fine = static_cast<std::size_t>((cnt_ + fine - 1) / fine);
    const auto n_coarse = static_cast<std::size_t>((cnt_ + coarse - 1) / coarse);
    for (int c = 0; c < 2; ++c) {
        // Blocks are written before they are read (a chunk is made whole), so no clearing.
        fine_min_[c].resize(n_fine);
        fine_max_[c].resize(n_fine);
        coarse_min_[c].resize(n_coarse);
        coarse_max_[c].resize(n_coarse);
    }
    built_.assign(static_cast<std::size_t>((cnt_ + chunk - 1) / chunk), 0);
}

void wave_summary::clear() {
    frames_ = nullptr;
    cnt_ = 0;
    for (int c = 0; c < 2; ++c) {
        fine_min_[c] = {};
        fine_max_[c] = {};
        coarse_min_[c] = {};
        coarse_max_[c] = {};
    }
    built_ = {};
}

int wave_summary::chunks_built() const {
    return static_cast<int>(std::count(built_.begin(), built_.end(), 1));
}

// Both folds keep their running minimum and maximum in 16 bits, where the
// processor has minimum and maximum instructions for eight values at once;
// lo and hi always hold sample values.
void wave_summary::fold_samples(int c, std::int64_t a, std::int64_t b, int& lo, int& hi) const {
    const unsigned char* p = frames_ + 2 * c;
    auto mn = static_cast<std::int16_t>(lo), mx = static_cast<std::int16_t>(hi);
    for (std::int64_t i = a; i < b; ++i) {
        const std::int16_t v = le_get_i16(p + 4 * i);
        mn = std::min(mn, v);
        mx = std::max(mx, v);
    }
    lo = mn;
    hi = mx;
}

void wave_summary::fold_blocks(const std::vector<std::int16_t>& mn, const std::vector<std::int16_t>& mx,
                               std::int64_t a, std::int64_t b, int& lo, int& hi) const {
    auto l = static_cast<std::int16_t>(lo), h = static_cast<std::int16_t>(hi);
    const std::int16_t* pn = mn.data();
    const std::int16_t* px = mx.data();
    for (std::int64_t i = a; i < b; ++i) {
        l = std::min(l, pn[i]);
        h = std::max(h, px[i]);
    }
    lo = l;
    hi = h;
}

void wave_summary::build_chunk(std::int64_t k) {
    // Fine blocks of the chunk from the samples (the last block of the
    // buffer may be short), then coarse blocks from the fine ones.
    const std::int64_t first = k * chunk;
    const std::int64_t last = std::min(first + chunk, cnt_);
    for (std::int64_t f = first; f < last; f += fine) {
        const std::int64_t end = std::min(f + fine, last);
        std::int16_t mn0 = 32767, mx0 = -32768, mn1 = 32767, mx1 = -32768;
        for (std::int64_t i = f; i < end; ++i) {
            const std::int16_t l = le_get_i16(frames_ + 4 * i);
            const std::int16_t r = le_get_i16(frames_ + 4 * i + 2);
            mn0 = std::min(mn0, l);
            mx0 = std::max(mx0, l);
            mn1 = std::min(mn1, r);
            mx1 = std::max(mx1, r);
        }
        const auto b = static_cast<std::size_t>(f / fine);
        fine_min_[0][b] = mn0;
        fine_max_[0][b] = mx0;
        fine_min_[1][b] = mn1;
        fine_max_[1][b] = mx1;
    }
    constexpr std::int64_t per = coarse / fine;
    const std::int64_t fine_end = (last + fine - 1) / fine;
    for (std::int64_t f = first / fine; f < fine_end; f += per) {
        const std::int64_t end = std::min(f + per, fine_end);
        for (int c = 0; c < 2; ++c) {
            int mn = 32767, mx = -32768;
            fold_blocks(fine_min_[c], fine_max_[c], f, end, mn, mx);
            coarse_min_[c][static_cast<std::size_t>(f / per)] = static_cast<std::int16_t>(mn);
            coarse_max_[c][static_cast<std::size_t>(f / per)] = static_cast<std::int16_t>(mx);
        }
    }
    built_[static_cast<std::size_t>(k)] = 1;
}

void wave_summary::build_chunks(std::int64_t a, std::int64_t b) {
    for (std::int64_t k = a / chunk; k <= (b - 1) / chunk; ++k) {
        if (built_[static_cast<std::size_t>(k)] == 0) build_chunk(k);
    }
}

void wave_summary::fold(int c, std::int64_t from, std::int64_t n, int& lo, int& hi) {
    if (n <= 0) return;
    const std::int64_t a = from, b = from + n;
    const std::int64_t a1 = round_up(a, fine), b1 = round_down(b, fine);
    // Short ranges, and ranges with hardly a whole fine block, read their samples.
    if (n < 2 * fine || b1 - a1 < fine) {
        fold_samples(c, a, b, lo, hi);
        return;
    }
    build_chunks(a1, b1);
    fold_samples(c, a, a1, lo, hi);
    fold_samples(c, b1, b, lo, hi);
    const std::int64_t a2 = round_up(a1, coarse), b2 = round_down(b1, coarse);
    if (a2 >= b2) {
        fold_blocks(fine_min_[c], fine_max_[c], a1 / fine, b1 / fine, lo, hi);
        return;
    }
    fold_blocks(fine_min_[c], fine_max_[c], a1 / fine, a2 / fine, lo, hi);
    fold_blocks(coarse_min_[c], coarse_max_[c], a2 / coarse, b2 / coarse, lo, hi);
    fold_blocks(fine_min_[c], fine_max_[c], b2 / fine, b1 / fine, lo, hi);
}

namespace {
int kind_index(wave_kind kind) { return kind == wave_original ? 0 : kind == wave_copy ? 1 : 2; }
}  // namespace

void note_wave_change(const void* doc, unsigned kinds) {
    if ((kinds & wave_all) == 0) return;
    change_stamps& s = stamps();
    auto& per_kind = s.by_doc[doc];
    ++s.counter;
    for (wave_kind k : {wave_original, wave_copy, wave_parts}) {
        if ((kinds & k) != 0) per_kind[kind_index(k)] = s.counter;
    }
}

std::uint64_t wave_change_stamp(const void* doc, wave_kind kind) {
    const change_stamps& s = stamps();
    const auto it = s.by_doc.find(doc);
    return it == s.by_doc.end() ? 0 : it->second[kind_index(kind)];
}

void wave_summary_set::follow_changes() {
    const auto it = stamps().by_doc.find(doc_);
    if (it == stamps().by_doc.end()) return;
    const std::array<std::uint64_t, 3>& now = it->second;
    if (now[0] != stamp_[0]) orgn_.reset(nullptr, 0);
    if (now[1] != stamp_[1]) copy_.reset(nullptr, 0);
    if (now[2] != stamp_[2]) {
        for (auto& p : parts_) {
            if (p) p->reset(nullptr, 0);
        }
    }
    std::copy(now.begin(), now.end(), stamp_);
}

wave_summary* wave_summary_set::get(wave_summary& s, const unsigned char* frames, std::int64_t cnt) {
    follow_changes();
    if (frames == nullptr || cnt <= 0) return nullptr;
    if (!s.describes(frames, cnt)) s.reset(frames, cnt);
    return &s;
}

wave_summary* wave_summary_set::part(int k, const unsigned char* frames, std::int64_t cnt) {
    if (k < 0 || k >= part_slots) return nullptr;
    if (!parts_[k]) {
        if (frames == nullptr || cnt <= 0) return nullptr;
        parts_[k] = std::make_unique<wave_summary>();
    }
    return get(*parts_[k], frames, cnt);
}
