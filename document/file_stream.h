// File-backed byte streams for opening and saving recordings by path.
//
// Opening reports the system's error number (a directory is refused with
// EISDIR, as reading it would fail anyway). Saving never writes into the
// file being replaced: the bytes go to a temporary file beside it, which
// commit() flushes to disk and renames over the target in one step. A save
// that fails or is abandoned removes the temporary file and leaves the old
// file exactly as it was. A file the user may not write is not replaced.
//
// Small writes are gathered in a buffer of 1 MB; a large one goes out in the
// same system call as the bytes gathered before it, so a header followed by
// its sample data costs one call. A failed write may therefore be reported
// by a later write or by commit().
#pragma once

#include <memory>
#include <string>

#include "document/byte_stream.h"

class file_istream final : public byte_istream {
   public:
    file_istream() = default;
    ~file_istream() override;
    file_istream(const file_istream&) = delete;
    file_istream& operator=(const file_istream&) = delete;

    // 0, or the error number.
    int open(const std::string& path);
    std::int64_t read(void* buf, std::int64_t n) override;
    int error() const override { return err_; }

   private:
    int fd_ = -1;
    int err_ = 0;
};

class file_replace_ostream final : public byte_ostream {
   public:
    file_replace_ostream() = default;
    // Removes the temporary file unless commit() succeeded.
    ~file_replace_ostream() override;
    file_replace_ostream(const file_replace_ostream&) = delete;
    file_replace_ostream& operator=(const file_replace_ostream&) = delete;

    // Creates the temporary file for target path. 0, or the error number.
    int open(const std::string& path);
    // From now on, blocks of 64 KB at multiples of 64 KB in the file that
    // are zero throughout are not written but left as holes, which read as
    // zeros: the file's bytes are the same, the disk holds only the rest
    // (where the file system knows holes).
    void leave_zero_blocks_as_holes() { holes_ = true; }
    bool write(const void* buf, std::int64_t n) override;
    // Writes what is gathered, closes and renames the temporary file over
    // the target. to_disk: first waits until the file's bytes are on the
    // disk (fsync), so that not even a power failure can leave the target
    // short. Without it the file is whole under its name for every reader
    // at once, and the system writes it out in its own time (as cp does).
    // 0, or the error number (of the first failed write, if any).
    int commit(bool to_disk = true);
    int error() const { return err_; }

   private:
    void discard();
    // Writes the gathered bytes, then n bytes of buf (zero blocks left as
    // holes when asked), in as few calls as the system allows.
    bool put(const unsigned char* buf, std::int64_t n);
    bool put_data(const unsigned char* buf, std::int64_t n);

    static constexpr std::int64_t buf_cap = 1 << 20;      // bytes gathered at most
    static constexpr std::int64_t gather_below = 1 << 16;  // writes shorter than this are gathered
    static constexpr std::int64_t hole_block = 1 << 16;

    int fd_ = -1;
    int err_ = 0;
    std::string target_;
    std::string temp_;
    std::unique_ptr<unsigned char[]> buf_;  // made at the first small write
    std::int64_t pending_ = 0;              // bytes gathered in buf_
    std::int64_t written_ = 0;              // bytes handed to the file, holes included
    bool holes_ = false;
    bool hole_at_end_ = false;  // the last bytes handed over were a hole
};
