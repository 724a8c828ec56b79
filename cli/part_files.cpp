#include "cli/part_files.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <span>
#include <string>

#include "app/err_log.h"
#include "cli/cli_common.h"
#include "cli/cli_extract_opts.h"
#include "cli/part_window.h"
#include "document/file_stream.h"
#include "document/wave_writer.h"
#include "engine/extr_state.h"
#include "engine/part_mix.h"
#include "platform/sjis.h"

namespace {

// Frames a part file is made in at a time: 1 MB.
constexpr std::int64_t piece_frames = 1 << 18;

// The folder's files are results that a run makes again: each is whole
// under its name, but the system writes it to disk in its own time. A part
// is silent most of the time: its zero blocks are left as holes.
constexpr bool wait_for_disk = false;

// Writes path through the replacing stream, the bytes from write_body.
template <typename Body>
int save_through(const std::filesystem::path& path, Body write_body) {
    const std::string shown = path.string();
    file_replace_ostream out;
    int e = out.open(cli_path(shown));
    out.leave_zero_blocks_as_holes();
    if (e == 0) e = write_body(out) == 0 ? out.commit(wait_for_disk) : (out.error() != 0 ? out.error() : EIO);
    if (e == 0) return cli_exit_ok;
    cli_print_file_error(shown, e);
    return cli_exit_io;
}

std::string part_file_name(const CTonewarpDoc& doc, int p) {
    const std::string name =
        cp932_to_utf8(std::string_view(doc.prt_name[p], bounded_strlen(doc.prt_name[p], 13)));
    return part_file_stem(name) + ".wav";
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
        rc = save_extract_wave(doc, dir / part_file_name(doc, p));
    }
    std::copy_n(saved, prt_slot_cnt, st.prt_mix_flg);
    make_mdfy_dt_from_each_part(st, doc);
    return rc;
}

}  // namespace

int save_extract_wave(CTonewarpDoc& doc, const std::filesystem::path& path) {
    return save_through(path, [&](file_replace_ostream& out) { return doc.write_wave_file(out); });
}

int write_part_files(extr_state& st, CTonewarpDoc& doc, const std::filesystem::path& dir) {
    if (log_tracing()) return write_part_files_traced(st, doc, dir);
    // One piece buffer for every file: its pages are touched once.
    const auto piece = std::make_unique_for_overwrite<unsigned char[]>(4 * piece_frames);
    const std::span<unsigned char> scratch(piece.get(), 4 * piece_frames);
    int rc = cli_exit_ok;
    for (int p = 0; p < doc.intPart_Cnt && rc == cli_exit_ok; ++p) {
        const auto fill = [&doc, p](std::int64_t first, std::int64_t count, unsigned char* out) {
            mix_part_window(doc, p, first, count, out);
        };
        rc = save_through(dir / part_file_name(doc, p), [&](file_replace_ostream& out) {
            return write_wave_file_made(doc, out, fill, scratch);
        });
    }
    return rc;
}
