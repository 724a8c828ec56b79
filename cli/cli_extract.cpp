// tonewarp-cli extract FILE... [--start FRAME] [--end FRAME] [--out DIR]
//                              [--part-max N] [--min-vol V] [--sim-snd V] [--log]
//                              [--threads N] [--jobs N]

#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/err_log.h"
#include "cli/batch_lines.h"
#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_extract_one.h"
#include "cli/cli_extract_opts.h"
#include "cli/cli_jobs.h"

namespace {

// The three summary lines of a single file's run.
void print_summary(const extract_result& r) {
    std::printf("parts: %d (episodes: %ld)%s\n", r.parts, r.episodes, r.residual ? " + Total_Diff." : "");
    std::printf("audio: %.3f s (%d frames from frame %d)\n", r.audio_s, r.frames, r.first);
    std::printf("wall time: %.3f s (%.2f x real time)\n", r.wall_s,
                r.wall_s > 0.0 ? r.audio_s / r.wall_s : 0.0);
    if (r.converted) std::printf("converted: %s -> 16-bit stereo\n", r.source.c_str());
    if (r.held > 0) std::printf("held samples: %lld (at -32768 or 32767)\n", static_cast<long long>(r.held));
    std::fflush(stdout);
}

}  // namespace

int cli_extract(const cli_args& args) {
    extract_opts o;
    if (const std::string problem = parse_extract_opts(args, o); !problem.empty()) {
        cli_print_usage_error(problem);
        return cli_exit_bad;
    }

    // One start for the whole call: the settings are loaded and the old log
    // deleted once, so a batch's log holds the lines of every file.
    cli_start();
    // Overrides for this call only: the settings file is never written here.
    if (const char* msg = apply_param_overrides(o)) {
        cli_print_error(msg);
        return cli_exit_bad;
    }
    if (o.log) log_on_flg = 1;

    const std::size_t n = o.files.size();
    const bool live = isatty(STDERR_FILENO) == 1;
    if (n == 1) {
        progress_line progress(live, "");
        const extract_result r = extract_one(o.files[0], out_dir_for(o, o.files[0]), o, progress);
        if (r.ran) print_summary(r);
        return r.status;
    }
    if (const int jobs = batch_jobs(o, std::thread::hardware_concurrency()); jobs > 1) {
        if (const std::optional<int> status = extract_in_parallel(o, jobs)) return *status;
    }

    // Several files: each in turn, whatever became of the ones before.
    std::vector<int> statuses;
    int ok = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string& file = o.files[i];
        const std::string dir = out_dir_for(o, file);
        // Built piece by piece: "[" + std::string trips a false -Wrestrict of GCC 12 at -O3.
        std::string label = "[";
        label += std::to_string(i + 1);
        label += '/';
        label += std::to_string(n);
        label += "] ";
        progress_line progress(live, label);
        const extract_result r = extract_one(file, dir, o, progress);
        std::fputs(batch_line(file, dir, r).c_str(), stdout);
        std::fflush(stdout);
        statuses.push_back(r.status);
        if (r.status == cli_exit_ok) ++ok;
    }
    const int status = batch_status(statuses);
    std::fputs(batch_total_line(n, ok, status).c_str(), stdout);
    std::fflush(stdout);
    return status;
}
