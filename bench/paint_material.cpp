#include "bench/paint_material.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "document/le_bytes.h"

namespace {

// A small deterministic generator (64-bit LCG, upper bits).
struct lcg {
    std::uint64_t s;
    std::uint32_t next() {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(s >> 33);
    }
    // Uniform in [lo, hi).
    double uni(double lo, double hi) { return lo + (hi - lo) * (next() / 2147483648.0); }
};

struct voice_def {
    double enter_sec;     // first note
    double lo_hz, hi_hz;  // pitch range
    double min_len, max_len;
    double gap;      // seconds of rest after a note, at most
    double amp;      // peak of one note
    double pan;      // 0 left .. 1 right
    int harmonics;   // partials of the wavetable
    double rolloff;  // amplitude of partial k is rolloff^(k - 1)
};

constexpr voice_def voices[paint_voice_cnt] = {
    {0.0, 55.0, 110.0, 0.4, 1.2, 0.2, 6000, 0.45, 8, 0.6},       // bass
    {7.0, 220.0, 660.0, 0.15, 0.5, 0.1, 4000, 0.30, 5, 0.5},     // lead
    {19.0, 110.0, 330.0, 1.0, 3.0, 0.4, 3500, 0.70, 12, 0.8},    // pad
    {33.0, 440.0, 1760.0, 0.05, 0.2, 0.3, 3000, 0.55, 3, 0.3},   // bell
    {52.0, 80.0, 160.0, 0.08, 0.15, 0.35, 7000, 0.50, 20, 0.9},  // drum-like
    {75.0, 330.0, 990.0, 0.3, 0.9, 0.25, 3500, 0.85, 6, 0.55},   // second lead
};

constexpr int table_len = 4096;

std::vector<float> make_table(const voice_def& v) {
    std::vector<float> t(table_len);
    double peak = 0.0;
    for (int i = 0; i < table_len; ++i) {
        double s = 0.0, a = 1.0;
        for (int k = 1; k <= v.harmonics; ++k, a *= v.rolloff)
            s += a * std::sin(2.0 * M_PI * k * i / table_len);
        t[i] = static_cast<float>(s);
        peak = std::max(peak, std::fabs(s));
    }
    for (float& x : t) x = static_cast<float>(x / peak);
    return t;
}

struct note {
    std::int64_t start;
    std::int64_t len;
};

// Renders one voice into l and r (added), returns its notes.
std::vector<note> render_voice(const voice_def& v, std::uint64_t seed, std::int64_t frames,
                               std::vector<float>& l, std::vector<float>& r) {
    const std::vector<float> table = make_table(v);
    lcg g{seed};
    std::vector<note> notes;
    double t = v.enter_sec;
    const double gl = std::cos(v.pan * M_PI / 2), gr = std::sin(v.pan * M_PI / 2);
    while (true) {
        const auto start = static_cast<std::int64_t>(t * 44100.0);
        if (start >= frames) break;
        const double len_sec = g.uni(v.min_len, v.max_len);
        const std::int64_t len =
            std::min<std::int64_t>(static_cast<std::int64_t>(len_sec * 44100.0), frames - start);
        const double hz = v.lo_hz * std::pow(v.hi_hz / v.lo_hz, g.uni(0.0, 1.0));
        const double step = hz * table_len / 44100.0;
        const double amp = v.amp * g.uni(0.5, 1.0);
        const double attack = std::min(0.01 * 44100.0, len / 4.0);
        double phase = 0.0;
        for (std::int64_t i = 0; i < len; ++i) {
            const double env =
                (i < attack ? i / attack : 1.0) * std::exp(-3.0 * i / static_cast<double>(len));
            const double s = amp * env * table[static_cast<int>(phase) & (table_len - 1)];
            l[start + i] += static_cast<float>(s * gl);
            r[start + i] += static_cast<float>(s * gr);
            phase += step;
            if (phase >= table_len) phase -= table_len;
        }
        notes.push_back({start, len});
        t += len_sec + g.uni(0.0, v.gap);
    }
    return notes;
}

std::int16_t to_i16(double x) {
    return static_cast<std::int16_t>(std::clamp(std::lround(x), -32768L, 32767L));
}

}  // namespace

std::unique_ptr<CTonewarpDoc> make_paint_material(std::int64_t frames) {
    auto doc = std::make_unique<CTonewarpDoc>();
    doc->set_default_wave();
    doc->free_wave_dt();
    le_put_i32(doc->wv_data_hdr + 4, static_cast<std::int32_t>(frames * 4));
    doc->alloc_wave_dt();
    doc->extr_stt_ptr = 0;
    doc->extr_end_ptr = static_cast<std::int32_t>(frames - 1);
    doc->extr_dt_cnt = static_cast<std::int32_t>(frames);

    // The parts' buffers are sized the way a run sizes them: whole frames of 1024 past the range.
    const std::int64_t part_frames = (frames / 1024 + 1) * 1024;
    std::vector<float> mix_l(static_cast<std::size_t>(frames)), mix_r(mix_l.size());
    std::vector<float> l(mix_l.size()), r(mix_l.size());
    for (int k = 0; k < paint_voice_cnt; ++k) {
        std::fill(l.begin(), l.end(), 0.0f);
        std::fill(r.begin(), r.end(), 0.0f);
        const std::vector<note> notes = render_voice(voices[k], 1000 + 17 * k, frames, l, r);
        doc->alloc_temp_area_add(4 * part_frames);
        unsigned char* w = doc->h_Mem_wv_temp_dt[k];
        for (std::int64_t i = 0; i < frames; ++i) {
            put_frame_sample(w, i, 0, to_i16(l[i]));
            put_frame_sample(w, i, 1, to_i16(r[i]));
            mix_l[i] += l[i];
            mix_r[i] += r[i];
        }
        const int cnt = static_cast<int>(std::min<std::size_t>(notes.size(), prt_inf_rec_cnt));
        for (int n = 0; n < cnt; ++n) {
            msc_prt_inf_t& rec = doc->h_Mem_msc_prt_inf[k][n];
            rec.opn_L = rec.opn_R = 1;
            rec.stt_ofs = rec.stt_ofs_L = rec.stt_ofs_R = static_cast<std::int32_t>(notes[n].start);
            rec.data_cnt = rec.data_cnt_L = rec.data_cnt_R = static_cast<std::int32_t>(notes[n].len);
            rec.max_len = 1024;
            rec.stt_orgn = rec.stt_orgn_L = rec.stt_orgn_R = static_cast<std::int32_t>(notes[n].start);
        }
        doc->intPart_Inf_Cnt[k] = cnt;
        std::snprintf(doc->prt_name[k], 14, "Part_%03d", k + 1);
    }

    // The mix with a little noise; the residual part holds the noise.
    const int res = paint_voice_cnt;
    doc->alloc_temp_area_add(4 * part_frames);
    unsigned char* rw = doc->h_Mem_wv_temp_dt[res];
    lcg g{99};
    for (std::int64_t i = 0; i < frames; ++i) {
        const double nl = g.uni(-300.0, 300.0), nr = g.uni(-300.0, 300.0);
        put_frame_sample(rw, i, 0, to_i16(nl));
        put_frame_sample(rw, i, 1, to_i16(nr));
        put_frame_sample(doc->orgn_dt, i, 0, to_i16(mix_l[i] + nl));
        put_frame_sample(doc->orgn_dt, i, 1, to_i16(mix_r[i] + nr));
    }
    std::memcpy(doc->mdfy_dt, doc->orgn_dt, static_cast<std::size_t>(frames * 4));
    msc_prt_inf_t& rec = doc->h_Mem_msc_prt_inf[res][0];
    rec.opn_L = rec.opn_R = 1;
    rec.data_cnt = rec.data_cnt_L = rec.data_cnt_R = rec.max_len = static_cast<std::int32_t>(frames);
    doc->intPart_Inf_Cnt[res] = 1;
    std::snprintf(doc->prt_name[res], 14, "Total_Diff.");

    return doc;
}

void list_all_parts(const CTonewarpDoc& doc, extr_state& ex) {
    ex.intPart_Cnt = doc.intPart_Cnt;
    ex.prt_list_top = 0;
    for (int k = 0; k < doc.intPart_Cnt; ++k) {
        ex.prt_disp_flg[k] = 1;
        ex.prt_mix_flg[k] = 1;
    }
}
