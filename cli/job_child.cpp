#include "cli/job_child.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>

#include "cli/cli_common.h"
#include "cli/cli_extract_one.h"
#include "cli/cli_progress.h"
#include "cli/job_report.h"

namespace {

void write_all(int fd, const std::string& s) {
    std::size_t done = 0;
    while (done < s.size()) {
        const ssize_t w = ::write(fd, s.data() + done, s.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return;  // the parent is gone: nothing to tell
        done += static_cast<std::size_t>(w);
    }
}

// Progress as messages, at most every 50 ms.
class pipe_progress final : public extract_progress {
   public:
    explicit pipe_progress(int fd) : fd_(fd) {}
    void show(const extr_state& st) override {
        const auto now = std::chrono::steady_clock::now();
        if (sent_ && now - last_ < std::chrono::milliseconds(50)) return;
        sent_ = true;
        last_ = now;
        write_all(fd_, progress_message(run_fraction(st)));
    }
    void done() override { write_all(fd_, progress_message(1.0)); }

   private:
    int fd_;
    bool sent_ = false;
    std::chrono::steady_clock::time_point last_{};
};

[[noreturn]] void run_child(const std::string& file, const std::string& out_dir, const extract_opts& o,
                            const std::string& work_dir, const std::string& name_base, int report_fd) {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
    extract_result r;
    if (::chdir(work_dir.c_str()) != 0) {
        cli_print_file_error(work_dir, errno);
        r.status = cli_exit_io;
    } else {
        cli_set_name_base(name_base);
        pipe_progress progress(report_fd);
        r = extract_one(file, out_dir, o, progress);
    }
    write_all(report_fd, result_message(r));
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(r.status);
}

}  // namespace

job_child start_job_child(const std::string& file, const std::string& out_dir, const extract_opts& o,
                          const std::string& work_dir, const std::string& name_base,
                          const std::vector<int>& fds_to_close) {
    int rep[2];
    int err[2];
    if (::pipe2(rep, O_CLOEXEC) != 0) return {};
    if (::pipe2(err, O_CLOEXEC) != 0) {
        const int e = errno;
        ::close(rep[0]), ::close(rep[1]);
        errno = e;
        return {};
    }
    // Nothing buffered may be written twice.
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(rep[0]);
        ::close(err[0]);
        for (const int fd : fds_to_close) ::close(fd);
        ::dup2(err[1], STDERR_FILENO);
        ::close(err[1]);
        run_child(file, out_dir, o, work_dir, name_base, rep[1]);
    }
    const int e = errno;
    ::close(rep[1]);
    ::close(err[1]);
    if (pid < 0) {
        ::close(rep[0]), ::close(err[0]);
        errno = e;
        return {};
    }
    return {pid, rep[0], err[0]};
}
