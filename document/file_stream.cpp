#include "document/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

file_istream::~file_istream() {
    if (fd_ >= 0) ::close(fd_);
}

int file_istream::open(const std::string& path) {
    if (fd_ >= 0) ::close(fd_);
    err_ = 0;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return errno;
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int e = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd_);
        fd_ = -1;
        return e;
    }
    return 0;
}

std::int64_t file_istream::read(void* buf, std::int64_t n) {
    if (fd_ < 0 || err_ != 0 || n <= 0) return 0;
    auto* p = static_cast<unsigned char*>(buf);
    std::int64_t got = 0;
    // Pipes and large requests deliver in pieces: keep reading to n or the end.
    while (got < n) {
        const std::int64_t want = n - got < (1 << 30) ? n - got : (1 << 30);
        const ssize_t r = ::read(fd_, p + got, static_cast<std::size_t>(want));
        if (r < 0) {
            if (errno == EINTR) continue;
            err_ = errno;
            break;
        }
        if (r == 0) break;
        got += r;
    }
    return got;
}

namespace {

std::atomic<unsigned> temp_counter{0};

}  // namespace

file_replace_ostream::~file_replace_ostream() { discard(); }

void file_replace_ostream::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

int file_replace_ostream::open(const std::string& path) {
    discard();
    err_ = 0;
    target_ = path;
    // Saving through a symbolic link replaces the file it points to.
    struct stat lst {};
    if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
        if (char* real = ::realpath(path.c_str(), nullptr)) {
            target_ = real;
            std::free(real);
        }
    }
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return err_ = EISDIR;
    // The rename below would replace even a write-protected file; saving
    // over a file is refused exactly when writing into it would be.
    if (exists && ::access(target_.c_str(), W_OK) != 0) return err_ = errno;

    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_ = target_ + ".tw-save-" + std::to_string(::getpid()) + "-" + std::to_string(temp_counter++);
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) break;
        if (errno != EEXIST) {
            err_ = errno;
            temp_.clear();
            return err_;
        }
    }
    if (fd_ < 0) {
        temp_.clear();
        return err_ = EEXIST;
    }
    // The replacement keeps the permissions of the file it replaces.
    if (exists) ::fchmod(fd_, st.st_mode & 07777);
    return 0;
}

bool file_replace_ostream::write(const void* buf, std::int64_t n) {
    if (fd_ < 0 || err_ != 0) return false;
    const auto* p = static_cast<const unsigned char*>(buf);
    std::int64_t done = 0;
    while (done < n) {
        const std::int64_t want = n - done < (1 << 30) ? n - done : (1 << 30);
        const ssize_t w = ::write(fd_, p + done, static_cast<std::size_t>(want));
        if (w < 0) {
            if (errno == EINTR) continue;
            err_ = errno;
            return false;
        }
        done += w;
    }
    return true;
}

int file_replace_ostream::commit() {
    if (fd_ < 0 && err_ == 0) err_ = EBADF;
    if (err_ == 0 && ::fsync(fd_) != 0) err_ = errno;
    if (fd_ >= 0) {
        if (::close(fd_) != 0 && err_ == 0) err_ = errno;
        fd_ = -1;
    }
    if (err_ == 0 && std::rename(temp_.c_str(), target_.c_str()) != 0) err_ = errno;
    if (err_ != 0) {
        discard();
        return err_;
    }
    temp_.clear();  // now the target: nothing left to remove
    return 0;
}
