// Memory of `tonewarp-cli extract`.
//
//   mem_bench peak CLI FILE OUTDIR
//       runs `CLI extract FILE --out OUTDIR` as a child process and prints
//       its peak resident size (getrusage of the child), the recording's
//       data size and the part count written into OUTDIR/parts.tsv:
//         peak_rss_mb <MB>
//         data_mb <MB>
//         parts <count, "Total_Diff." included>
//         wall_s <seconds>
//   mem_bench repeat RUNS FILE OUTDIR
//       runs the same extraction RUNS times inside this process (the
//       command-line tool's own entry point) and prints the resident size
//       and the heap blocks still held after each run, then the growth of
//       the resident size over the second half of the runs (the first runs
//       also fill the C library's pools of small blocks, which later runs
//       reuse):
//         run <i> rss_mb <MB> blocks <count>
//         growth_mb <MB>
//
// Sizes are in MB of 2^20 bytes.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_commands.h"
#include "platform/heap.h"

namespace {

constexpr double mb = 1024.0 * 1024.0;

// Resident size of this process now, from /proc/self/statm.
double rss_mb() {
    std::ifstream in("/proc/self/statm");
    long pages_total = 0, pages_resident = 0;
    in >> pages_total >> pages_resident;
    return static_cast<double>(pages_resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / mb;
}

// Data bytes of a canonical 44-byte-header WAVE file: the file size less 44.
double data_mb(const char* file) {
    struct stat s {};
    if (stat(file, &s) != 0) return 0.0;
    return static_cast<double>(s.st_size - 44) / mb;
}

int parts_written(const std::string& dir) {
    std::ifstream in(dir + "/parts.tsv");
    std::string line;
    std::getline(in, line);  // header
    int last = 0;
    while (std::getline(in, line)) last = std::atoi(line.c_str());
    return last;
}

// extra: further options of the extract command (e.g. --threads 1).
int peak(const char* cli, const char* file, const char* out, char** extra, int extra_cnt) {
    const auto t0 = std::chrono::steady_clock::now();
    std::vector<char*> args = {const_cast<char*>(cli), const_cast<char*>("extract"), const_cast<char*>(file),
                               const_cast<char*>("--out"), const_cast<char*>(out)};
    args.insert(args.end(), extra, extra + extra_cnt);
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return 1;
    if (pid == 0) {
        if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(127);
        execv(cli, args.data());
        _exit(127);
    }
    int status = 0;
    rusage ru{};
    if (wait4(pid, &status, 0, &ru) != pid) return 1;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "mem_bench: %s extract failed (status %d)\n", cli, status);
        return 1;
    }
    std::printf("peak_rss_mb %.1f\n", static_cast<double>(ru.ru_maxrss) / 1024.0);  // ru_maxrss: kB
    std::printf("data_mb %.1f\n", data_mb(file));
    std::printf("parts %d\n", parts_written(out));
    std::printf("wall_s %.2f\n", wall);
    return 0;
}

// Runs the command with its standard output sent to /dev/null.
int quiet_cli(const cli_args& args) {
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null_fd = open("/dev/null", O_WRONLY);
    if (saved < 0 || null_fd < 0) return -1;
    dup2(null_fd, STDOUT_FILENO);
    close(null_fd);
    const int rc = cli_main(args);
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    return rc;
}

int repeat(int runs, const char* file, const char* out) {
    double first = 0.0, last = 0.0;
    for (int i = 1; i <= runs; ++i) {
        if (const int rc = quiet_cli({"extract", file, "--out", out}); rc != 0) {
            std::fprintf(stderr, "mem_bench: run %d failed with %d\n", i, rc);
            return 1;
        }
        last = rss_mb();
        if (i <= (runs + 1) / 2) first = last;
        std::printf("run %d rss_mb %.1f blocks %lld\n", i, last,
                    static_cast<long long>(heap_test::live_blocks()));
        std::fflush(stdout);
    }
    std::printf("growth_mb %.1f\n", last - first);
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: mem_bench peak CLI FILE OUTDIR [EXTRACT OPTION ...]\n"
                 "       mem_bench repeat RUNS FILE OUTDIR\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "peak") == 0) return peak(argv[2], argv[3], argv[4], argv + 5, argc - 5);
    if (argc == 5 && std::strcmp(argv[1], "repeat") == 0) {
        const int runs = std::atoi(argv[2]);
        return runs >= 1 ? repeat(runs, argv[3], argv[4]) : usage();
    }
    return usage();
}
