// tonewarp-cli extract FILE [--start FRAME] [--end FRAME] [--out DIR]
//                           [--part-max N] [--min-vol V] [--sim-snd V] [--log]

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>

#include "app/err_log.h"
#include "app/sys_param.h"
#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_extract_opts.h"
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

// The live progress line on a terminal: bar, percentage of the range, elapsed time.
class progress_line {
   public:
    explicit progress_line(bool live) : live_(live), t0_(clock_type::now()) {}

    void show(const extr_state& st) {
        if (!live_) return;
        const auto now = clock_type::now();
        if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        shown_ = true;
        double f = st.anlz_len > 0 ? static_cast<double>(st.anlz_ptr - st.anlz_stt_ptr) / st.anlz_len : 1.0;
        f = f < 0.0 ? 0.0 : (f > 1.0 ? 1.0 : f);
        constexpr int width = 40;
        const int fill = static_cast<int>(f * width);
        std::string bar(static_cast<std::size_t>(fill), '#');
        bar.append(static_cast<std::size_t>(width - fill), '.');
        std::fprintf(stderr, "\r[%s] %5.1f%%  %6.1f s", bar.c_str(), f * 100.0, seconds_since(t0_));
        std::fflush(stderr);
    }

    void done() {
        if (!live_ || !shown_) return;
        std::fprintf(stderr, "\r[%s] 100.0%%  %6.1f s\n", std::string(40, '#').c_str(), seconds_since(t0_));
        std::fflush(stderr);
    }

   private:
    bool live_;
    bool shown_ = false;
    clock_type::time_point t0_;
    clock_type::time_point last_{};
};

int save_to(CTonewarpDoc& doc, const std::filesystem::path& path) {
    return cli_save_document(doc, path.string());
}

// One WAVE per part, as Save writes it with only that part in the mix; the
// mix flags and the full mix are put back afterwards.
int write_part_files(extr_state& st, CTonewarpDoc& doc, const std::filesystem::path& dir) {
    const int cnt = doc.intPart_Cnt;
    int saved[prt_slot_cnt];
    std::copy_n(st.prt_mix_flg, prt_slot_cnt, saved);
    int rc = cli_exit_ok;
    for (int p = 0; p < cnt && rc == cli_exit_ok; ++p) {
        std::fill_n(st.prt_mix_flg, prt_slot_cnt, 0);
        st.prt_mix_flg[p] = 1;
        make_mdfy_dt_from_each_part(st, doc);
        const std::string name =
            cp932_to_utf8(std::string_view(doc.prt_name[p], bounded_strlen(doc.prt_name[p], 13)));
        rc = save_to(doc, dir / (part_file_stem(name) + ".wav"));
    }
    std::copy_n(saved, prt_slot_cnt, st.prt_mix_flg);
    make_mdfy_dt_from_each_part(st, doc);
    return rc;
}

int write_parts_tsv(const CTonewarpDoc& doc, const std::filesystem::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
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

void print_summary(const CTonewarpDoc& doc, const extr_state& st, double wall) {
    int parts = 0;
    long episodes = 0;
    bool residual = false;
    for (int p = 0; p < doc.intPart_Cnt; ++p) {
        if (std::string(doc.prt_name[p]) == total_diff_part_name) {
            residual = true;
            continue;
        }
        ++parts;
        episodes += doc.intPart_Inf_Cnt[p];
    }
    const int rate = doc.fmt_samples_per_sec() > 0 ? doc.fmt_samples_per_sec() : 44100;
    const double audio = static_cast<double>(std::max(st.anlz_len, 0)) / rate;
    std::printf("parts: %d (episodes: %ld)%s\n", parts, episodes, residual ? " + Total_Diff." : "");
    std::printf("audio: %.3f s (%d frames from frame %d)\n", audio, std::max(st.anlz_len, 0),
                st.anlz_stt_ptr);
    std::printf("wall time: %.3f s (%.2f x real time)\n", wall, wall > 0.0 ? audio / wall : 0.0);
    std::fflush(stdout);
}

}  // namespace

int cli_extract(const cli_args& args) {
    extract_opts o;
    if (const std::string problem = parse_extract_opts(args, o); !problem.empty()) {
        cli_print_usage_error(problem);
        return cli_exit_bad;
    }

    cli_start();
    // Overrides for this run only: the settings file is never written here.
    if (const char* msg = apply_param_overrides(o)) {
        cli_print_error(msg);
        return cli_exit_bad;
    }
    if (o.log) log_on_flg = 1;

    auto doc = std::make_unique<CTonewarpDoc>();
    const int r = cli_open_document(*doc, o.file);
    if (r == cli_exit_io) return r;
    if (r == cli_exit_bad) {
        cli_report_bad_file();
        return r;
    }

    int first = 0;
    int last = 0;
    if (!extract_range(o, doc->frame_count(), first, last)) {
        cli_print_error(bad_range_msg);
        return cli_exit_bad;
    }

    const std::filesystem::path dir = o.out_dir.empty() ? default_out_dir(o.file) : o.out_dir;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir)) {
        cli_print_file_error(dir.string(), ec ? ec.value() : ENOTDIR);
        return cli_exit_io;
    }

    auto st = std::make_unique<extr_state>();
    extr_engine_steps steps;
    set_extr_range(*st, *doc, first, last);
    progress_line progress(isatty(STDERR_FILENO) == 1);
    const auto t0 = clock_type::now();
    run_extraction(*st, *doc, steps, [&](const extr_state& s) { progress.show(s); });
    const double wall = seconds_since(t0);
    progress.done();
    const bool stopped = st->err_stop == 1;

    int rc = save_to(*doc, dir / "mix.wav");
    if (rc == cli_exit_ok) rc = write_part_files(*st, *doc, dir);
    if (rc == cli_exit_ok) rc = write_parts_tsv(*doc, dir / "parts.tsv");
    print_summary(*doc, *st, wall);
    if (rc != cli_exit_ok) return rc;
    if (stopped) {
        cli_print_error(std::string(cli_name) +
                        ": the extraction stopped early on an engine failure (see Err_Log.Lst); "
                        "the files hold what it found until then");
        return cli_exit_engine;
    }
    return cli_exit_ok;
}
