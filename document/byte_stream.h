// Byte streams the WAVE reader and writer work over.
//
// The reader asks for a count of bytes and takes what it gets: fewer at the
// end of the data, never an error. A stream that hit a real read error keeps
// the error number so that whoever opened it can report it after reading.
// The writer reports a failed write by its result. The GUI's document
// framework and the command-line tool each supply their own streams; the
// memory streams serve tests and in-memory copies.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class byte_istream {
   public:
    virtual ~byte_istream() = default;
    // Copies up to n bytes into buf; returns the count copied (0 .. n).
    // A short count means the end of the data or a read error.
    virtual std::int64_t read(void* buf, std::int64_t n) = 0;
    // 0, or the error number of the first read that failed.
    virtual int error() const { return 0; }
};

class byte_ostream {
   public:
    virtual ~byte_ostream() = default;
    // Appends n bytes; false when they could not all be written.
    virtual bool write(const void* buf, std::int64_t n) = 0;
};

// Reads from a block of memory that the caller keeps alive.
class memory_istream final : public byte_istream {
   public:
    explicit memory_istream(std::string_view data) : data_(data) {}
    std::int64_t read(void* buf, std::int64_t n) override;

   private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

// Collects everything written into a string.
class memory_ostream final : public byte_ostream {
   public:
    bool write(const void* buf, std::int64_t n) override;
    const std::string& bytes() const { return bytes_; }

   private:
    std::string bytes_;
};
