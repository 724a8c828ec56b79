// File-backed byte streams for opening and saving recordings by path.
//
// Opening reports the system's error number (a directory is refused with
// EISDIR, as reading it would fail anyway). Saving never writes into the
// file being replaced: the bytes go to a temporary file beside it, which
// commit() flushes to disk and renames over the target in one step. A save
// that fails or is abandoned removes the temporary file and leaves the old
// file exactly as it was. A file the user may not write is not replaced.
#pragma once

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
    bool write(const void* buf, std::int64_t n) override;
    // Flushes, closes and renames the temporary file over the target.
    // 0, or the error number (of the first failed write, if any).
    int commit();
    int error() const { return err_; }

   private:
    void discard();

    int fd_ = -1;
    int err_ = 0;
    std::string target_;
    std::string temp_;
};
