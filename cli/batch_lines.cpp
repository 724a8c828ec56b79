#include "cli/batch_lines.h"

#include <cstdio>

#include "cli/cli_common.h"

namespace {

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

}  // namespace

std::string batch_line(const std::string& file, const std::string& dir, const extract_result& r) {
    std::string line = file + ": ";
    if (r.status == cli_exit_ok) {
        line += "ok";
    } else {
        line += "status " + std::to_string(r.status) + " (" + status_reason(r.status) + ")";
    }
    if (r.ran) {
        char buf[160];
        std::snprintf(buf, sizeof buf, ": parts: %d (episodes: %ld)%s, audio %.3f s, wall time %.3f s", r.parts,
                      r.episodes, r.residual ? " + Total_Diff." : "", r.audio_s, r.wall_s);
        line += " -> " + dir + buf;
        if (r.held > 0) line += ", held samples " + std::to_string(r.held);
    }
    return line + "\n";
}

std::string batch_total_line(std::size_t files, int ok, int status) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%zu files: %d ok, %zu failed; exit status %d\n", files, ok,
                  files - static_cast<std::size_t>(ok), status);
    return buf;
}
