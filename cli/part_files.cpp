#include "cli/part_files.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/err_log.h"
#include "cli/cli_common.h"
#include "cli/cli_extract_opts.h"
#include "cli/ordered_saves.h"
#include "cli/part_window.h"
#include "document/wave_writer.h"
#include "engine/extr_state.h"
#include "engine/part_mix.h"
#include "platform/sjis.h"

namespace {

std::string part_file_name(const CTonewarpDoc& doc, int p) {
    const std::string name =
        cp932_to_utf8(std::string_view(doc.prt_name[p], bounded_strlen(doc.prt_name[p], 13)));
    return part_file_stem(name) + ".wav";
}

// mdfy_dt's range as it is now.
file_save working_copy(CTonewarpDoc& doc, const std::filesystem::path& path) {
    return {path, [&doc](byte_ostream& out, std::span<unsigned char>) { return doc.write_wave_file(out); }};
}

// The mix of each part in mdfy_dt in turn, as the trace lines need it.
int write_part_files_traced(extr_state& st, CTonewarpDoc& doc, const std::filesystem::path& dir) {
    const int cnt = doc.intPart_Cnt;
    int saved[prt_slot_cnt];
    std::copy_n(st.prt_mix_flg, prt_slot_cnt, saved);
    int rc = cli_exit_ok;
    for (int p = 0; p < cnt && rc == cli_exit_ok; ++p) {
        std::fill_n(st.prt_mix_flg, prt_slot_cnt, 0);
        st.prt_mix_flg[p] = 1;
        make_mdfy_dt_from_each_part(st, doc);
        rc = save_in_order({working_copy(doc, dir / part_file_name(doc, p))}, 1);
    }
    std::copy_n(saved, prt_slot_cnt, st.prt_mix_flg);
    make_mdfy_dt_from_each_part(st, doc);
    return rc;
}

}  // namespace

int write_extract_waves(extr_state& st, CTonewarpDoc& doc, const std::filesystem::path& dir, int threads) {
    if (log_tracing()) {
        const int rc = save_in_order({working_copy(doc, dir / "mix.wav")}, 1);
        return rc == cli_exit_ok ? write_part_files_traced(st, doc, dir) : rc;
    }
    std::vector<file_save> saves = {working_copy(doc, dir / "mix.wav")};
    for (int p = 0; p < doc.intPart_Cnt; ++p) {
        saves.push_back({dir / part_file_name(doc, p), [&doc, p](byte_ostream& out, std::span<unsigned char> scratch) {
                             const auto fill = [&doc, p](std::int64_t first, std::int64_t count, unsigned char* to) {
                                 mix_part_window(doc, p, first, count, to);
                             };
                             return write_wave_file_made(doc, out, fill, scratch);
                         }});
    }
    return save_in_order(saves, threads);
}
