#include "tests/support/small_fs.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

namespace {

// Moves the calling thread into a mount namespace of its own, once, with
// every mount private, so mounts made afterwards are seen by nobody else
// and vanish with the process.
int private_mounts() {
    static int err = -1;
    if (err >= 0) return err;
    err = 0;
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        err = errno;
    }
    return err;
}

std::string size_option(std::int64_t bytes) { return "size=" + std::to_string(bytes); }

}  // namespace

small_fs::small_fs(const std::filesystem::path& dir, std::int64_t bytes) : dir_(dir), bytes_(bytes) {
    std::filesystem::create_directories(dir_);
    if (const int e = private_mounts(); e != 0) {
        why_not_ = std::string("no private mount namespace: ") + std::strerror(e);
        return;
    }
    if (mount("tw_test", dir_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, size_option(bytes_).c_str()) != 0) {
        why_not_ = std::string("tmpfs cannot be mounted: ") + std::strerror(errno);
        return;
    }
    mounted_ = true;
}

small_fs::~small_fs() {
    if (mounted_) umount2(dir_.c_str(), MNT_DETACH);
}

bool small_fs::fill() {
    if (!mounted_) return false;
    const std::string path = (dir_ / "filler").string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0) return false;
    const std::vector<char> block(4096, 'f');
    bool full = false;
    // Whole blocks first, then single bytes into whatever is left of the last page.
    for (std::size_t chunk : {block.size(), std::size_t{1}}) {
        for (;;) {
            const ssize_t w = ::write(fd, block.data(), chunk);
            if (w < 0 && errno == ENOSPC) {
                full = true;
                break;
            }
            if (w <= 0) break;
        }
    }
    ::fsync(fd);
    ::close(fd);
    return full;
}

void small_fs::unfill() { std::filesystem::remove(dir_ / "filler"); }

bool small_fs::make_read_only() {
    if (!mounted_) return false;
    if (mount("tw_test", dir_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
              size_option(bytes_).c_str()) != 0) {
        why_not_ = std::string("tmpfs cannot be remounted read-only: ") + std::strerror(errno);
        return false;
    }
    return true;
}

file_size_limit::file_size_limit(std::int64_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lim = old_;
    lim.rlim_cur = static_cast<rlim_t>(bytes);
    setrlimit(RLIMIT_FSIZE, &lim);
}

file_size_limit::~file_size_limit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
}
