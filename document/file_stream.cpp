#include "document/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
    pending_ = 0;
    written_ = 0;
    hole_at_end_ = false;
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

namespace {

bool all_zero(const unsigned char* p, std::int64_t n) {
    return n <= 0 || (p[0] == 0 && std::memcmp(p, p + 1, static_cast<std::size_t>(n - 1)) == 0);
}

}  // namespace

bool file_replace_ostream::put(const unsigned char* buf, std::int64_t n) {
    if (!holes_) return put_data(buf, n);
    // Blocks of hole_block bytes at offsets of the file that are multiples
    // of it, and zero throughout, are skipped; the bytes between are written.
    const std::int64_t at = written_ + pending_;  // file offset of buf[0]
    std::int64_t data = 0;                         // first byte not yet written
    for (std::int64_t j = (hole_block - at % hole_block) % hole_block; j + hole_block <= n;) {
        if (!all_zero(buf + j, hole_block)) {
            j += hole_block;
            continue;
        }
        const std::int64_t hole = j;
        while (j + hole_block <= n && all_zero(buf + j, hole_block)) j += hole_block;
        if (!put_data(buf + data, hole - data)) return false;
        if (::lseek(fd_, j - hole, SEEK_CUR) < 0) {
            err_ = errno;
            return false;
        }
        written_ += j - hole;
        hole_at_end_ = true;
        data = j;
    }
    return put_data(buf + data, n - data);
}

bool file_replace_ostream::put_data(const unsigned char* buf, std::int64_t n) {
    const unsigned char* a = buf_.get();
    std::int64_t an = pending_;
    pending_ = 0;
    if (an + n > 0) hole_at_end_ = false;
    written_ += an + n;
    constexpr std::int64_t most = 1 << 30;  // bytes handed to one call at most
    while (an + n > 0) {
        iovec iov[2];
        int cnt = 0;
        if (an > 0) iov[cnt++] = {const_cast<unsigned char*>(a), static_cast<std::size_t>(an)};
        if (n > 0) iov[cnt++] = {const_cast<unsigned char*>(buf), static_cast<std::size_t>(std::min(n, most - an))};
        ssize_t w = ::writev(fd_, iov, cnt);
        if (w < 0) {
            if (errno == EINTR) continue;
            err_ = errno;
            return false;
        }
        if (w == 0) {  // nothing taken: never spin
            err_ = EIO;
            return false;
        }
        const std::int64_t from_a = std::min<std::int64_t>(w, an);
        a += from_a;
        an -= from_a;
        buf += w - from_a;
        n -= w - from_a;
    }
    return true;
}

bool file_replace_ostream::write(const void* buf, std::int64_t n) {
    if (fd_ < 0 || err_ != 0) return false;
    if (n <= 0) return true;
    const auto* p = static_cast<const unsigned char*>(buf);
    if (n >= gather_below) return put(p, n);
    if (!buf_) buf_ = std::make_unique_for_overwrite<unsigned char[]>(buf_cap);
    if (pending_ + n > buf_cap && !put(nullptr, 0)) return false;
    std::memcpy(buf_.get() + pending_, p, static_cast<std::size_t>(n));
    pending_ += n;
    return true;
}

int file_replace_ostream::commit(bool to_disk) {
    if (fd_ < 0 && err_ == 0) err_ = EBADF;
    if (err_ == 0 && pending_ > 0) put(nullptr, 0);
    // A file that ends in a hole gets its length.
    if (err_ == 0 && hole_at_end_ && ::ftruncate(fd_, static_cast<off_t>(written_)) != 0) err_ = errno;
    if (err_ == 0 && to_disk && ::fsync(fd_) != 0) err_ = errno;
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
