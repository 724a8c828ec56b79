#include "cli/cli_jobs.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/err_log.h"
#include "cli/batch_lines.h"
#include "cli/cli_common.h"
#include "cli/job_board.h"
#include "cli/job_child.h"
#include "cli/job_report.h"

namespace fs = std::filesystem;

namespace {

volatile std::sig_atomic_t stop_signal = 0;

void on_stop_signal(int sig) { stop_signal = sig; }

// The stop signals call on_stop_signal while the batch runs (so that its
// children and their folders are cleared away), as they were afterwards.
class stop_signals {
   public:
    stop_signals() {
        struct sigaction sa {};
        sa.sa_handler = on_stop_signal;
        sigemptyset(&sa.sa_mask);
        for (std::size_t i = 0; i < std::size(sigs_); ++i) sigaction(sigs_[i], &sa, &old_[i]);
    }
    ~stop_signals() {
        for (std::size_t i = 0; i < std::size(sigs_); ++i) sigaction(sigs_[i], &old_[i], nullptr);
    }

   private:
    static constexpr int sigs_[3] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction old_[3] {};
};

struct running {
    std::size_t index = 0;
    job_child child;
    std::string report, err;  // bytes read and not yet taken
    std::optional<extract_result> result;
};

// Appends the child's log to the caller's, then clears the child's folder.
void merge_log(const fs::path& work) {
    const fs::path log = work / err_log_file_name;
    if (std::FILE* in = std::fopen(log.c_str(), "rb")) {
        if (std::FILE* out = std::fopen(err_log_file_name, "ab")) {
            char buf[65536];
            for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, in)) > 0;) std::fwrite(buf, 1, n, out);
            std::fclose(out);
        }
        std::fclose(in);
    }
    std::error_code ec;
    fs::remove_all(work, ec);
}

class batch {
   public:
    batch(const extract_opts& o, int jobs, fs::path root, std::string base)
        : o_(o), jobs_(jobs), root_(std::move(root)), base_(std::move(base)),
          board_(isatty(STDERR_FILENO) == 1), status_(o.files.size(), 0), done_(o.files.size(), false) {}

    int run();

   private:
    std::size_t count() const { return o_.files.size(); }
    fs::path work(std::size_t i) const { return root_ / std::to_string(i); }
    bool start(std::size_t i);
    // Reads what is there; false once both pipes of r are closed.
    bool take(running& r, int fd, short revents);
    void finish(running& r);
    void file_done(std::size_t i, const extract_result& r);
    void stop_all();

    const extract_opts& o_;
    int jobs_;
    fs::path root_;
    std::string base_;
    job_board board_;
    std::vector<running> running_;
    std::vector<int> status_;
    std::vector<bool> done_;
    std::size_t merged_ = 0;  // files whose log is in the caller's
    int ok_ = 0;
};

bool batch::start(std::size_t i) {
    const std::string& file = o_.files[i];
    std::error_code ec;
    fs::create_directory(work(i), ec);
    std::vector<int> others;
    for (const running& r : running_) {
        if (r.child.report_fd >= 0) others.push_back(r.child.report_fd);
        if (r.child.err_fd >= 0) others.push_back(r.child.err_fd);
    }
    const job_child c = start_job_child(file, out_dir_for(o_, file), o_, work(i).string(), base_, others);
    if (c.pid < 0) {
        const int e = errno;
        if (!running_.empty()) return false;  // try again when one has ended
        board_.write_above(stderr, std::string(cli_name) + ": " + file +
                                       ": no process could be started: " + std::strerror(e) + "\n");
        extract_result r;
        r.status = cli_exit_io;
        file_done(i, r);
        return true;
    }
    std::string label = "[";  // built piece by piece: "[" + std::string trips a false -Wrestrict of GCC 12 at -O3
    label += std::to_string(i + 1);
    label += '/';
    label += std::to_string(count());
    label += "] ";
    board_.add(i, label, file);
    running_.push_back({i, c, {}, {}, std::nullopt});
    return true;
}

bool batch::take(running& r, int fd, short revents) {
    if ((revents & (POLLIN | POLLHUP | POLLERR)) == 0) return true;
    const bool is_err = fd == r.child.err_fd;
    std::string& buf = is_err ? r.err : r.report;
    char chunk[65536];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) return true;
    if (n <= 0) {
        ::close(fd);
        (is_err ? r.child.err_fd : r.child.report_fd) = -1;
        if (is_err && !buf.empty()) board_.write_above(stderr, buf);  // a last line without its end
        buf.clear();
        return r.child.err_fd >= 0 || r.child.report_fd >= 0;
    }
    buf.append(chunk, static_cast<std::size_t>(n));
    const std::size_t end = buf.rfind('\n');
    if (end == std::string::npos) return true;
    if (is_err) {
        board_.write_above(stderr, std::string_view(buf).substr(0, end + 1));
    } else {
        std::string_view lines(buf.data(), end + 1);
        while (!lines.empty()) {
            const std::size_t nl = lines.find('\n');
            if (const auto m = read_job_message(lines.substr(0, nl))) {
                if (m->is_result) {
                    r.result = m->result;
                } else {
                    board_.set_fraction(r.index, m->fraction);
                }
            }
            lines.remove_prefix(nl + 1);
        }
    }
    buf.erase(0, end + 1);
    return true;
}

void batch::finish(running& r) {
    int ws = 0;
    while (::waitpid(r.child.pid, &ws, 0) < 0 && errno == EINTR) {
    }
    extract_result res = r.result.value_or(extract_result{});
    const std::string& file = o_.files[r.index];
    if (WIFSIGNALED(ws) || !r.result) {
        std::string why = WIFSIGNALED(ws) ? "ended on signal " + std::to_string(WTERMSIG(ws))
                                          : "ended with status " + std::to_string(WEXITSTATUS(ws));
        board_.write_above(stderr, std::string(cli_name) + ": " + file + ": its extraction process " + why +
                                       " before it was done\n");
        res.status = std::max(cli_exit_engine, WIFEXITED(ws) ? WEXITSTATUS(ws) : 0);
    }
    board_.remove(r.index);
    file_done(r.index, res);
}

void batch::file_done(std::size_t i, const extract_result& r) {
    board_.write_above(stdout, batch_line(o_.files[i], out_dir_for(o_, o_.files[i]), r));
    status_[i] = r.status;
    if (r.status == cli_exit_ok) ++ok_;
    done_[i] = true;
    for (; merged_ < count() && done_[merged_]; ++merged_) merge_log(work(merged_));
}

void batch::stop_all() {
    for (running& r : running_) ::kill(r.child.pid, SIGTERM);
    for (running& r : running_) {
        while (::waitpid(r.child.pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        if (r.child.report_fd >= 0) ::close(r.child.report_fd);
        if (r.child.err_fd >= 0) ::close(r.child.err_fd);
    }
    running_.clear();
    board_.erase();
}

int batch::run() {
    std::size_t next = 0;
    while (next < count() || !running_.empty()) {
        while (running_.size() < static_cast<std::size_t>(jobs_) && next < count() && stop_signal == 0) {
            if (!start(next)) break;
            ++next;
        }
        if (stop_signal != 0) {
            stop_all();
            return -1;
        }
        if (running_.empty()) continue;
        std::vector<pollfd> fds;
        std::vector<std::size_t> owner;
        for (std::size_t k = 0; k < running_.size(); ++k) {
            for (const int fd : {running_[k].child.report_fd, running_[k].child.err_fd}) {
                if (fd < 0) continue;
                fds.push_back({fd, POLLIN, 0});
                owner.push_back(k);
            }
        }
        const int n = ::poll(fds.data(), fds.size(), 100);
        if (n < 0 && errno != EINTR) {
            stop_all();
            return -1;
        }
        std::vector<bool> ended(running_.size(), false);
        for (std::size_t j = 0; n > 0 && j < fds.size(); ++j) {
            if (!take(running_[owner[j]], fds[j].fd, fds[j].revents)) ended[owner[j]] = true;
        }
        for (std::size_t k = running_.size(); k-- > 0;) {
            if (!ended[k]) continue;
            finish(running_[k]);
            running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(k));
        }
        board_.tick();
    }
    board_.erase();
    int worst = 0;
    for (const int s : status_) worst = std::max(worst, s);
    board_.write_above(stdout, batch_total_line(count(), ok_, worst));
    return worst;
}

}  // namespace

std::optional<int> extract_in_parallel(const extract_opts& o, int jobs) {
    std::error_code ec;
    const fs::path base = fs::current_path(ec);
    if (ec) return std::nullopt;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tonewarp-jobs-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) return std::nullopt;
    const fs::path root = pattern;

    int status = 0;
    {
        stop_signals guard;
        stop_signal = 0;
        batch b(o, jobs, root, base.string());
        status = b.run();
    }
    fs::remove_all(root, ec);
    if (stop_signal != 0) std::raise(stop_signal);  // the handler is the caller's again
    return status;
}
