// One file of `tonewarp-cli extract`: open, run the engine over the range,
// write the mix, every part and the parts table into the file's folder.

#include "cli/cli_extract_one.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

#include "cli/cli_common.h"
#include "cli/cli_extract_opts.h"
#include "cli/cli_read_recording.h"
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
    progress_line(bool live, std::string label)
        : live_(live), label_(std::move(label)), t0_(clock_type::now()) {}

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
        std::fprintf(stderr, "\r%s[%s] %5.1f%%  %6.1f s", label_.c_str(), bar.c_str(), f * 100.0,
                     seconds_since(t0_));
        std::fflush(stderr);
    }

    void done() {
        if (!live_ || !shown_) return;
        std::fprintf(stderr, "\r%s[%s] 100.0%%  %6.1f s\n", label_.c_str(), std::string(40, '#').c_str(),
                     seconds_since(t0_));
        std::fflush(stderr);
    }

   private:
    bool live_;
    std::string label_;  // put before the bar: which file of a batch
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

}  // namespace

extract_result extract_one(const std::string& file, const std::filesystem::path& dir, const extract_opts& o,
                           const std::string& progress_label) {
    extract_result res;
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
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir)) {
        cli_print_file_error(dir.string(), ec ? ec.value() : ENOTDIR);
        res.status = cli_exit_io;
        return res;
    }

    auto st = std::make_unique<extr_state>();
    extr_engine_steps steps;
    set_extr_range(*st, *doc, first, last);
    progress_line progress(isatty(STDERR_FILENO) == 1, progress_label);
    const auto t0 = clock_type::now();
    run_extraction(*st, *doc, steps, [&](const extr_state& s) { progress.show(s); });
    res.wall_s = seconds_since(t0);
    progress.done();
    res.ran = true;
    count_parts(*doc, *st, res);

    res.status = save_to(*doc, dir / "mix.wav");
    if (res.status == cli_exit_ok) res.status = write_part_files(*st, *doc, dir);
    if (res.status == cli_exit_ok) res.status = write_parts_tsv(*doc, dir / "parts.tsv");
    if (res.status == cli_exit_ok && st->err_stop == 1) {
        cli_print_error(std::string(cli_name) +
                        ": the extraction stopped early on an engine failure (see Err_Log.Lst); "
                        "the files hold what it found until then");
        res.status = cli_exit_engine;
    }
    return res;
}
