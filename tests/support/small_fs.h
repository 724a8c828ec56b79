// File systems that refuse writes, for tests of saving.
//
// small_fs mounts a tmpfs of a given size on a directory for the life of the
// object, inside a mount namespace private to the calling thread, so that
// nothing stays mounted after the test process ends. It needs the privilege
// to mount (root outside a restricted container); mounted() tells whether it
// worked and why_not() why not, so a test can fall back to file_size_limit.
#pragma once

#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <string>

class small_fs {
   public:
    small_fs(const std::filesystem::path& dir, std::int64_t bytes);
    ~small_fs();
    small_fs(const small_fs&) = delete;
    small_fs& operator=(const small_fs&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& why_not() const { return why_not_; }

    // Takes the remaining space with the file "filler" until a write fails
    // with ENOSPC; true when the file system is then full.
    bool fill();
    // Removes the filler again.
    void unfill();
    // Remounts the file system read-only; false (with why_not()) on failure.
    bool make_read_only();

   private:
    std::filesystem::path dir_;
    std::int64_t bytes_;
    bool mounted_ = false;
    std::string why_not_;
};

// While alive, no file of this process may grow beyond `bytes` bytes: a write
// past that fails with EFBIG (SIGXFSZ is ignored meanwhile). The stand-in for
// a full disk where mounting is not allowed.
class file_size_limit {
   public:
    explicit file_size_limit(std::int64_t bytes);
    ~file_size_limit();
    file_size_limit(const file_size_limit&) = delete;
    file_size_limit& operator=(const file_size_limit&) = delete;

   private:
    rlimit old_{};
    void (*old_handler_)(int) = nullptr;
};
