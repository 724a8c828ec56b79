// One file of `tonewarp-cli extract`: open, run the engine over the range,
// write the mix, every part and the parts table into the file's folder.

#include "cli/cli_extract_one.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

#include "cli/cli_common.h"
#include "cli/cli_extract_opts.h"
#include "cli/cli_read_recording.h"
#include "cli/part_files.h"
#include "engine/extr_engine_steps.h"
#include "engine/extr_run.h"
#include "engine/extr_state.h"
#include "engine/part_mix.h"
#include "platform/sjis.h"

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point t0) {
    return std::chrono::duration<double>(clock_type::now() - t0).count();
}

int write_parts_tsv(const CTonewarpDoc& doc, const std::filesystem::path& path) {
    std::ofstream out(cli_path(path.string()), std::ios::binary | std::ios::trunc);
    if (!out) {
        cli_print_file_error(path.string(), errno != 0 ? errno : EIO);
        return cli_exit_io;
    }
    out << "part\tname\trecord\tstt_orgn_L\tstt_orgn_R\tdata_cnt_L\tdata_cnt_R\n";
    for (int p = 0; p < doc.intPart_Cnt; ++p) {
        const std::string name =
            cp932_to_utf8(std::string_view(doc.prt_name[p], bounded_strlen(doc.prt_name[p], 13)));
        const msc_prt_inf_t* inf = doc.h_Mem_msc_prt_inf[p];
        if (inf == nullptr) continue;
        for (int r = 0; r < doc.intPart_Inf_Cnt[p] && r < prt_inf_rec_cnt; ++r) {
            out << (p + 1) << '\t' << name << '\t' << r << '\t' << inf[r].stt_orgn_L << '\t'
                << inf[r].stt_orgn_R << '\t' << inf[r].data_cnt_L << '\t' << inf[r].data_cnt_R << '\n';
        }
    }
    out.flush();
    if (!out) {
        cli_print_file_error(path.string(), EIO);
        return cli_exit_io;
    }
    return cli_exit_ok;
}

// What the summary reports of a finished run: the parts found (the residual
// counted apart), their episodes and the range's length in seconds.
void count_parts(const CTonewarpDoc& doc, const extr_state& st, extract_result& res) {
    for (int p = 0; p < doc.intPart_Cnt; ++p) {
        if (std::string(doc.prt_name[p]) == total_diff_part_name) {
            res.residual = true;
            continue;
        }
        ++res.parts;
        res.episodes += doc.intPart_Inf_Cnt[p];
    }
    const int rate = doc.fmt_samples_per_sec() > 0 ? doc.fmt_samples_per_sec() : 44100;
    res.frames = std::max(st.anlz_len, 0);
    res.first = st.anlz_stt_ptr;
    res.audio_s = static_cast<double>(res.frames) / rate;
}

// The run's state is 29 MB made zero, page by page. With a second thread it
// is made while the recording is read; otherwise when it is asked for.
std::future<std::unique_ptr<extr_state>> make_state_ahead(bool second_thread) {
    const auto make = [] { return std::make_unique<extr_state>(); };
    if (second_thread) {
        try {
            return std::async(std::launch::async, make);
        } catch (const std::system_error&) {
            // no thread to be had
        }
    }
    return std::async(std::launch::deferred, make);
}

}  // namespace

extract_result extract_one(const std::string& file, const std::filesystem::path& dir, const extract_opts& o,
                           extract_progress& progress) {
    extract_result res;
    const int threads = engine_threads(o);
    auto state = make_state_ahead(threads >= 2);
    auto doc = std::make_unique<CTonewarpDoc>();
    const recording_read in = cli_read_recording(*doc, file);
    res.status = in.status;
    if (res.status != cli_exit_ok) return res;
    res.converted = in.converted;
    res.source = in.source;
    res.held = in.held;

    int first = 0;
    int last = 0;
    if (!extract_range(o, doc->frame_count(), first, last)) {
        cli_print_error(bad_range_msg);
        res.status = cli_exit_bad;
        return res;
    }

    std::error_code ec;
    const std::filesystem::path dir_at = cli_path(dir.string());
    std::filesystem::create_directories(dir_at, ec);
    if (ec || !std::filesystem::is_directory(dir_at)) {
        cli_print_file_error(dir.string(), ec ? ec.value() : ENOTDIR);
        res.status = cli_exit_io;
        return res;
    }

    const std::unique_ptr<extr_state> st = state.get();
    extr_engine_steps steps;
    set_extr_range(*st, *doc, first, last);
    progress.start();
    const auto t0 = clock_type::now();
    run_extraction(*st, *doc, steps, [&](const extr_state& s) { progress.show(s); }, threads);
    res.wall_s = seconds_since(t0);
    progress.done();
    res.ran = true;
    count_parts(*doc, *st, res);

    res.status = write_extract_waves(*st, *doc, dir, threads);
    if (res.status == cli_exit_ok) res.status = write_parts_tsv(*doc, dir / "parts.tsv");
    if (res.status == cli_exit_ok && st->err_stop == 1) {
        cli_print_error(std::string(cli_name) +
                        ": the extraction stopped early on an engine failure (see Err_Log.Lst); "
                        "the files hold what it found until then");
        res.status = cli_exit_engine;
    }
    return res;
}
