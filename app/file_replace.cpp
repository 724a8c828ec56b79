#include "app/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// The file a name finally stands for: links followed one by one, a relative
// link read against the directory holding it. A link to a file not there yet
// gives that file's path, where opening the name to write would create it.
// Empty for a loop of links (opening would fail with ELOOP).
std::string resolve_links(const std::string& name) {
    fs::path path = name;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) return path.string();
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) return {};
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return {};
}

bool write_all(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t w = ::write(fd, p + done, size - done);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(w);
    }
    return true;
}

// Writes over the old bytes and only then cuts the file to the new length,
// so a file of the same size needs no new space on a full disk.
bool write_in_place(const std::string& path, const void* data, std::size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = write_all(fd, data, size) && ::ftruncate(fd, static_cast<off_t>(size)) == 0 && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    return ok;
}

}  // namespace

bool replace_file_bytes(const char* name, const void* data, std::size_t size) {
    const std::string target = resolve_links(name);
    if (target.empty()) return false;
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && ::access(target.c_str(), W_OK) != 0) return false;

    // A fixed name: a temporary left by a crash is reused. O_NOFOLLOW keeps a
    // link planted under that name from redirecting the write.
    const std::string temp = target + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return write_in_place(target, data, size);
    if (exists) {
        // The owner first: changing it may clear the set-id bits set below.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not permitted for an ordinary user giving a file away: the file
            // then belongs to the user who saved it, as a new file would.
        }
        ::fchmod(fd, st.st_mode & 07777);
    }
    bool ok = write_all(fd, data, size) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && std::rename(temp.c_str(), target.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
}
