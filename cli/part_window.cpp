#include "cli/part_window.h"

#include <algorithm>
#include <cstring>

#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "engine/part_access.h"
#include "engine/part_mix.h"

namespace {

// Adds the part's samples of channel ch for recording frames dst + i, i in
// lo .. hi - 1, read from waveform frames src + i, into the window that
// starts at recording frame first.
void add_span(unsigned char* out, std::int64_t first, const unsigned char* wave, std::int64_t dst,
              std::int64_t src, std::int64_t lo, std::int64_t hi, int ch) {
    add_frames_channel(out + 4 * (dst + lo - first), wave + 4 * (src + lo), hi - lo, ch);
}

}  // namespace

void mix_part_window(const CTonewarpDoc& doc, int p, std::int64_t first, std::int64_t count,
                     unsigned char* out) {
    std::memset(out, 0, static_cast<std::size_t>(4 * count));
    if (p < 0 || p >= doc_part_cnt(doc)) return;
    const msc_prt_inf_t* inf = doc.h_Mem_msc_prt_inf[p];
    const unsigned char* wave = doc.h_Mem_wv_temp_dt[p];
    if (inf == nullptr || wave == nullptr) return;  // nothing to play from
    const std::int64_t frames = doc.frame_count();
    const std::int64_t cap = part_wave_frames(doc, p);
    const int recs = part_inf_cnt(doc, p);
    auto add = [&](std::int64_t dst, std::int64_t src, std::int64_t cnt, int ch) {
        // The whole mix skips offsets before either buffer's start and ends
        // at the first frame past the end of either; then the window's part.
        const std::int64_t skip = std::max<std::int64_t>({0, -dst, -src});
        const std::int64_t stop = std::min({cnt, frames - dst, cap - src});
        const std::int64_t lo = std::max(skip, first - dst);
        const std::int64_t hi = std::min(stop, first + count - dst);
        if (hi > lo) add_span(out, first, wave, dst, src, lo, hi, ch);
    };
    for (int r = 0; r < recs; ++r) {
        const msc_prt_inf_t& rec = inf[r];
        add(rec.stt_orgn_L, rec.stt_ofs_L, rec.data_cnt_L, 0);
        add(rec.stt_orgn_R, rec.stt_ofs_R, rec.data_cnt_R, 1);
    }
}
