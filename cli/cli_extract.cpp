// tonewarp-cli extract FILE... [--start FRAME] [--end FRAME] [--out DIR]
//                              [--part-max N] [--min-vol V] [--sim-snd V] [--log]

#include <cstdio>
#include <string>
#include <vector>

#include "app/err_log.h"
#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "cli/cli_extract_one.h"
#include "cli/cli_extract_opts.h"

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

const char* status_reason(int status) {
    switch (status) {
        case cli_exit_io:
            return "a file could not be opened, read or written";
        case cli_exit_bad:
            return "rejected or invalid input";
        case cli_exit_engine:
            return "stopped early on an engine failure";
        default:
            return "";
    }
}

// A batch's line for one file, written as soon as the file is done:
//   FILE: ok -> DIR: parts: N (episodes: E) + Total_Diff., audio X s, wall time Y s[, held samples H]
//   FILE: status S (reason)[ -> DIR: ...]
void print_batch_line(const std::string& file, const std::string& dir, const extract_result& r) {
    std::string head = file + ": ";
    if (r.status == cli_exit_ok) {
        head += "ok";
    } else {
        head += "status " + std::to_string(r.status) + " (" + status_reason(r.status) + ")";
    }
    if (r.ran) {
        std::printf("%s -> %s: parts: %d (episodes: %ld)%s, audio %.3f s, wall time %.3f s", head.c_str(),
                    dir.c_str(), r.parts, r.episodes, r.residual ? " + Total_Diff." : "", r.audio_s,
                    r.wall_s);
        if (r.held > 0) std::printf(", held samples %lld", static_cast<long long>(r.held));
        std::printf("\n");
    } else {
        std::printf("%s\n", head.c_str());
    }
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
    if (n == 1) {
        const extract_result r = extract_one(o.files[0], out_dir_for(o, o.files[0]), o, "");
        if (r.ran) print_summary(r);
        return r.status;
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
        const extract_result r = extract_one(file, dir, o, label);
        print_batch_line(file, dir, r);
        statuses.push_back(r.status);
        if (r.status == cli_exit_ok) ++ok;
    }
    const int status = batch_status(statuses);
    std::printf("%zu files: %d ok, %zu failed; exit status %d\n", n, ok, n - static_cast<std::size_t>(ok),
                status);
    std::fflush(stdout);
    return status;
}
