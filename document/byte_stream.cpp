#include "document/byte_stream.h"

#include <cstring>

std::int64_t memory_istream::read(void* buf, std::int64_t n) {
    if (n <= 0) return 0;
    const std::size_t left = data_.size() - pos_;
    const std::size_t take = static_cast<std::uint64_t>(n) < left ? static_cast<std::size_t>(n) : left;
    if (take > 0) std::memcpy(buf, data_.data() + pos_, take);
    pos_ += take;
    return static_cast<std::int64_t>(take);
}

bool memory_ostream::write(const void* buf, std::int64_t n) {
    if (n < 0) return false;
    if (n > 0) bytes_.append(static_cast<const char*>(buf), static_cast<std::size_t>(n));
    return true;
}
