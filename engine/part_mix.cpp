#include "engine/part_mix.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/err_log.h"
#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "engine/de_spike.h"
#include "engine/extr_state.h"
#include "engine/part_access.h"
#include "engine/part_alloc.h"
#include "engine/trace_line.h"

namespace {

// Samples read and written in place on a little-endian host (the buffers
// are bytes, hence may_alias).
typedef std::uint16_t __attribute__((may_alias)) sample16;
typedef std::uint32_t __attribute__((may_alias)) frame32;

// Adds count samples of one channel of a part's waveform, from frame src on,
// into mdfy_dt from frame dst on, each a 16-bit addition that wraps. Frames
// outside either buffer are skipped.
void add_channel(unsigned char* mix, std::int64_t mix_frames, const unsigned char* wave, std::int64_t cap,
                 std::int64_t dst, std::int64_t src, std::int64_t count, int ch) {
    // Frames before either buffer's start are skipped, not read; the run
    // ends at the first frame past the end of either buffer.
    const std::int64_t skip = std::max<std::int64_t>({0, -dst, -src});
    const std::int64_t stop = std::min({count, mix_frames - dst, cap - src});
    if (stop <= skip) return;
    add_frames_channel(mix + 4 * (dst + skip), wave + 4 * (src + skip), stop - skip, ch);
}

// Residual samples of frames first .. first + count - 1 (both channels, all
// inside both buffers) into wave from frame 0 on: orgn - mdfy, wrapping.
void residual_frames(unsigned char* wave, const unsigned char* orgn, const unsigned char* mdfy,
                     std::int64_t first, std::int64_t count, std::int64_t to) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    sample16* w = reinterpret_cast<sample16*>(wave + 4 * to);
    const sample16* o = reinterpret_cast<const sample16*>(orgn + 4 * first);
    const sample16* m = reinterpret_cast<const sample16*>(mdfy + 4 * first);
    for (std::int64_t k = 0; k < 2 * count; ++k) w[k] = static_cast<std::uint16_t>(o[k] - m[k]);
#else
    for (std::int64_t i = 0; i < count; ++i) {
        for (int ch = 0; ch < 2; ++ch) {
            const auto d =
                static_cast<std::uint16_t>(static_cast<std::uint16_t>(get_frame_sample(orgn, first + i, ch)) -
                                           static_cast<std::uint16_t>(get_frame_sample(mdfy, first + i, ch)));
            put_frame_sample(wave, to + i, ch, static_cast<std::int16_t>(d));
        }
    }
#endif
}

void trace_record(int r, const msc_prt_inf_t& rec) {
    std::string line = "<make_mdfy_dt_from_each_part> : ";
    trc_add(line, "stt_orgn_L[%3d]=%3d, ", r, rec.stt_orgn_L);
    trc_add(line, "stt_orgn_R[%3d]=%3d, ", r, rec.stt_orgn_R);
    trc_add(line, "data_cnt_L[%3d]=%3d, ", r, rec.data_cnt_L);
    trc_add(line, "data_cnt_R[%3d]=%3d, ", r, rec.data_cnt_R);
    trc_put(line);
}

// mdfy_dt := the mix of the parts switched on (only_on), or of every part.
void mix_parts(const extr_state& st, CTonewarpDoc& doc, bool only_on) {
    if (doc.mdfy_dt == nullptr) return;
    const std::int64_t data = std::max<std::int32_t>(doc.data_len(), 0);
    std::memset(doc.mdfy_dt, 0, static_cast<std::size_t>(data));
    const std::int64_t frames = doc.frame_count();
    const int cnt = doc_part_cnt(doc);
    if (log_tracing()) {
        std::string line = "<make_mdfy_dt_from_each_part> : ";
        trc_add(line, "intPart_Cnt=%4d, ", doc.intPart_Cnt);
        trc_put(line);
    }
    for (int p = 0; p < cnt; ++p) {
        if (only_on && st.prt_mix_flg[p] != 1) continue;
        if (log_tracing()) {
            std::string line = "<make_mdfy_dt_from_each_part> : ";
            trc_add(line, "intPart_Inf_Cnt[%3d]=%3d, ", p, doc.intPart_Inf_Cnt[p]);
            trc_put(line);
        }
        const msc_prt_inf_t* inf = doc.h_Mem_msc_prt_inf[p];
        const unsigned char* wave = doc.h_Mem_wv_temp_dt[p];
        if (inf == nullptr || wave == nullptr) continue;  // nothing to play from
        const std::int64_t cap = part_wave_frames(doc, p);
        const int recs = part_inf_cnt(doc, p);
        for (int r = 0; r < recs; ++r) {
            const msc_prt_inf_t& rec = inf[r];
            if (log_tracing()) trace_record(r, rec);
            add_channel(doc.mdfy_dt, frames, wave, cap, rec.stt_orgn_L, rec.stt_ofs_L, rec.data_cnt_L, 0);
            add_channel(doc.mdfy_dt, frames, wave, cap, rec.stt_orgn_R, rec.stt_ofs_R, rec.data_cnt_R, 1);
        }
    }
}

}  // namespace

void add_frames_channel(unsigned char* to, const unsigned char* from, std::int64_t n, int ch) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // A frame read as one 32-bit word: the left sample is its low half, the
    // right one its high half. Each half's 16-bit sum wraps alone: a carry
    // out of the low half is masked off, one out of the high half leaves the
    // word; the other half is kept as it was.
    frame32* t = reinterpret_cast<frame32*>(to);
    const frame32* w = reinterpret_cast<const frame32*>(from);
    if (ch == 0) {
        for (std::int64_t i = 0; i < n; ++i) t[i] = (t[i] & 0xFFFF0000u) | ((t[i] + w[i]) & 0x0000FFFFu);
    } else {
        for (std::int64_t i = 0; i < n; ++i) t[i] = t[i] + (w[i] & 0xFFFF0000u);
    }
#else
    for (std::int64_t i = 0; i < n; ++i) {
        const auto sum = static_cast<std::uint16_t>(static_cast<std::uint16_t>(get_frame_sample(to, i, ch)) +
                                                    static_cast<std::uint16_t>(get_frame_sample(from, i, ch)));
        put_frame_sample(to, i, ch, static_cast<std::int16_t>(sum));
    }
#endif
}

int make_mdfy_dt_from_each_part(extr_state& st, CTonewarpDoc& doc) {
    mix_parts(st, doc, true);
    return 0;
}

int de_spike_parts(extr_state& st, CTonewarpDoc& doc) {
    const int cnt = doc_part_cnt(doc);
    for (int p = 0; p < cnt; ++p) {
        de_spike_samples(doc.h_Mem_wv_temp_dt[p], 0, part_wave_frames(doc, p), st.anlz_len);
    }
    return 0;
}

int add_total_diff_part(extr_state& st, CTonewarpDoc& doc) {
    // Every part, whatever its mix flag: the residual is what all of them
    // leave out, so switching a part back in never plays it twice.
    mix_parts(st, doc, false);

    const int p = add_run_part(st, doc, total_diff_part_name);
    if (p < 0) return -1;
    st.intPart_Cnt = doc.intPart_Cnt;
    st.prt_mix_flg[p] = 1;
    doc.prt_act_flg_L[p] = doc.prt_act_flg_R[p] = 1;
    set_part_name(doc, p, total_diff_part_name);
    doc.prt_cur_len_L[p] = doc.prt_cur_len_R[p] = 0;
    st.prt_disp_flg[p] = 1;

    msc_prt_inf_t* inf = doc.h_Mem_msc_prt_inf[p];
    if (inf == nullptr) {
        // Without its record the residual cannot be mixed: the run reports it.
        put_err_logf("<add_total_diff_part> Part_ptr=%3d Area NG !!", p);
        st.err_stop = 1;
        return -1;
    }
    const std::int32_t len = std::max(st.anlz_len, 0);
    msc_prt_inf_t& rec = inf[0];
    rec.opn_L = rec.opn_R = 1;
    rec.stt_ofs = rec.stt_ofs_L = rec.stt_ofs_R = 0;
    rec.data_cnt = rec.data_cnt_L = rec.data_cnt_R = rec.max_len = len;
    rec.stt_orgn = rec.stt_orgn_L = rec.stt_orgn_R = st.anlz_stt_ptr;

    unsigned char* wave = doc.h_Mem_wv_temp_dt[p];
    const std::int64_t cap = part_wave_frames(doc, p);
    const std::int64_t rec_frames = doc.orgn_dt != nullptr && doc.mdfy_dt != nullptr ? doc.frame_count() : 0;
    // Offsets i < len and < cap whose frame anlz_stt_ptr + i lies in the
    // recording: i from skip up to (not including) stop.
    const std::int64_t skip = std::max<std::int64_t>(0, -static_cast<std::int64_t>(st.anlz_stt_ptr));
    const std::int64_t stop = std::min<std::int64_t>({len, cap, rec_frames - st.anlz_stt_ptr});
    if (stop > skip)
        residual_frames(wave, doc.orgn_dt, doc.mdfy_dt, st.anlz_stt_ptr + skip, stop - skip, skip);
    doc.intPart_Inf_Cnt[p] = 1;
    return 0;
}

void finish_extr_run(extr_state& st, const CTonewarpDoc& doc) {
    const int cnt = doc_part_cnt(doc);
    st.intPart_Cnt = cnt;
    for (int p = 0; p < cnt; ++p) st.prt_disp_flg[p] = 1;
}
