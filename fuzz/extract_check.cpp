// A short extraction run over arbitrary sample data.
//
// Input layout: ten setting bytes, then the samples (16-bit little-endian,
// stereo frames, or mono samples widened by the reader), cut to
// extract_check_max_frames frames.
//   0  part_max            1 + b % 16
//   1  min_vol_prm         500 * 2^(b % 64 / 3), at most 999999999
//   2  sim_snd_prm         the same scale
//   3  set_prm2            10 + b * 1090 / 255
//   4  set_prm3            set_prm2 * b / 255
//   5-6, 7-8               start and end mark samples (modulo the frame count)
//   9  bit 0 start mark set, bit 1 end mark set, bit 2 mono, bit 3 tracing on
// The range follows the view: no start mark is frame 0, no end mark the
// last frame; marks the extract command would refuse (start not before end)
// leave only the start mark.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "document/byte_stream.h"
#include "document/tonewarp_doc.h"
#include "engine/extr_engine_steps.h"
#include "engine/extr_run.h"
#include "engine/extr_state.h"
#include "engine/part_mix.h"
#include "fuzz/check_util.h"
#include "fuzz/fuzz_checks.h"

namespace {

constexpr std::size_t setting_bytes = 10;

double param_scale(std::uint8_t b) { return std::min(500.0 * std::pow(2.0, (b % 64) / 3.0), 999999999.0); }

std::string wave_file(const std::uint8_t* samples, std::size_t bytes, bool mono) {
    const std::uint32_t channels = mono ? 1 : 2;
    std::string w = "RIFF....WAVEfmt ";
    auto put = [&w](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) w += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put(16, 4);
    put(1, 2);
    put(channels, 2);
    put(44100, 4);
    put(44100 * 2 * channels, 4);
    put(2 * channels, 2);
    put(16, 2);
    w += "data";
    put(static_cast<std::uint32_t>(bytes), 4);
    w.append(reinterpret_cast<const char*>(samples), bytes);
    return w;
}

bool mix_equals_recording(const CTonewarpDoc& doc, std::int64_t first, std::int64_t len) {
    return len <= 0 || std::memcmp(doc.mdfy_dt + 4 * first, doc.orgn_dt + 4 * first,
                                   static_cast<std::size_t>(4 * len)) == 0;
}

std::string check_run(CTonewarpDoc& doc, extr_state& st, std::int64_t first, std::int64_t last) {
    extr_engine_steps steps;
    set_extr_range(st, doc, static_cast<int>(first), static_cast<int>(last));
    int last_state = -1;
    const long ticks =
        run_extraction(st, doc, steps, [&last_state](const extr_state& s) { last_state = s.extr_stat; });

    const std::int64_t len = last - first + 1;
    const std::int64_t n = st.frm_len;
    if (last_state != 3) return check_fail("the run's last batch left state %d, not 3", last_state);
    if (st.extr_stat != 0) return "the run did not end idle";
    if (ticks > std::max<std::int64_t>(len, 0) / (2 * n) + 2)
        return check_fail("%ld ticks for %lld frames", ticks, (long long)len);
    if (st.err_stop != 2) return "a run without failures set the error stop";
    if (doc.dblCoefMatrix != nullptr || doc.dblCC_ValVct != nullptr || doc.dblCC_W_Vct != nullptr) {
        return "the coefficient areas were not freed";
    }

    const int cnt = doc.intPart_Cnt;
    if (cnt < 1 || cnt > sys_param.part_max)
        return check_fail("%d parts with part_max %d", cnt, sys_param.part_max);
    if (st.intPart_Cnt != cnt) return "the view's part count differs from the document's";
    for (int p = 0; p < cnt; ++p) {
        char want[16];
        std::snprintf(want, sizeof want, "Part_%03d", p + 1);
        const char* name = p + 1 == cnt ? total_diff_part_name : want;
        if (std::strcmp(doc.prt_name[p], name) != 0)
            return check_fail("part %d is named \"%.14s\"", p, doc.prt_name[p]);
        if (st.prt_disp_flg[p] != 1 || st.prt_mix_flg[p] != 1)
            return check_fail("part %d not shown or not mixed", p);
        if (doc.intPart_Inf_Cnt[p] < 1 || doc.intPart_Inf_Cnt[p] > prt_inf_rec_cnt)
            return "a part's record count is out of range";
        for (int r = 0; r < doc.intPart_Inf_Cnt[p]; ++r) {
            const msc_prt_inf_t& rec = doc.h_Mem_msc_prt_inf[p][r];
            if (rec.stt_ofs_L < 0 || rec.stt_ofs_R < 0 || rec.data_cnt_L < 0 || rec.data_cnt_R < 0) {
                return check_fail("part %d record %d has a negative offset or length", p, r);
            }
        }
    }
    const msc_prt_inf_t& res = doc.h_Mem_msc_prt_inf[cnt - 1][0];
    if (res.stt_orgn_L != first || res.stt_orgn_R != first ||
        res.data_cnt_L != std::max<std::int64_t>(len, 0)) {
        return "Total_Diff. does not span the range";
    }
    if (!mix_equals_recording(doc, first, len)) return "the mix differs from the recording over the range";

    // Every part switched off gives silence; switched on again, the recording.
    std::fill_n(st.prt_mix_flg, cnt, 0);
    make_mdfy_dt_from_each_part(st, doc);
    const std::int64_t bytes = 4 * static_cast<std::int64_t>(doc.frame_count());
    for (std::int64_t i = 0; i < bytes; ++i) {
        if (doc.mdfy_dt[i] != 0) return "the mix of no part is not silent";
    }
    std::fill_n(st.prt_mix_flg, cnt, 1);
    make_mdfy_dt_from_each_part(st, doc);
    if (!mix_equals_recording(doc, first, len))
        return "the mix rebuilt with every part differs from the recording";
    return {};
}

}  // namespace

std::string check_short_extraction(const std::uint8_t* data, std::size_t size) {
    if (size < setting_bytes) return {};
    check_scope scope;
    sys_param.part_max = 1 + data[0] % 16;
    sys_param.min_vol_prm = param_scale(data[1]);
    sys_param.sim_snd_prm = param_scale(data[2]);
    sys_param.set_prm2 = 10.0 + data[3] * 1090.0 / 255.0;
    sys_param.set_prm3 = sys_param.set_prm2 * data[4] / 255.0;
    const int start_sel = data[5] | (data[6] << 8);
    const int end_sel = data[7] | (data[8] << 8);
    const bool start_mark = (data[9] & 1) != 0;
    const bool end_mark = (data[9] & 2) != 0;
    const bool mono = (data[9] & 4) != 0;
    log_on_flg = (data[9] & 8) != 0 ? 1 : 0;

    const std::size_t frame_bytes = mono ? 2 : 4;
    std::size_t bytes = std::min(size - setting_bytes, extract_check_max_frames * frame_bytes);
    bytes -= bytes % frame_bytes;
    const std::string file = wave_file(data + setting_bytes, bytes, mono);

    std::string result;
    {
        auto doc = std::make_unique<CTonewarpDoc>();
        memory_istream in(file);
        doc->read_wave_file(in);
        const std::int64_t frames = doc->frame_count();
        if (doc->is_bad_file() || frames != static_cast<std::int64_t>(bytes / frame_bytes)) {
            return "a plain 16-bit recording was not read as it is";
        }
        std::int64_t first = 0;
        std::int64_t last = frames - 1;
        if (frames > 0 && start_mark) first = start_sel % frames;
        if (frames > 0 && end_mark) last = end_sel % frames;
        if (first >= last && start_mark && end_mark) last = frames - 1;
        auto st = std::make_unique<extr_state>();
        result = check_run(*doc, *st, first, last);
    }
    if (result.empty() && scope.blocks_held() != 0) {
        result = check_fail("%lld heap blocks left after the document went", (long long)scope.blocks_held());
    }
    return result;
}
