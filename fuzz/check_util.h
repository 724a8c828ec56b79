// Small helpers of the fuzz checks: reading an input as a zero-padded file,
// building failure texts, and restoring process-wide state afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/err_log.h"
#include "app/sys_param.h"
#include "platform/heap.h"

// The input seen as a file followed by endless zero bytes, as the reader
// sees it: bytes it cannot read stay zero in whatever they were read into.
struct padded_bytes {
    const std::uint8_t* data;
    std::size_t size;

    std::uint8_t at(std::int64_t i) const {
        return i >= 0 && static_cast<std::uint64_t>(i) < size ? data[i] : 0;
    }
    std::int16_t i16(std::int64_t i) const {
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(at(i) | (at(i + 1) << 8)));
    }
    std::int32_t i32(std::int64_t i) const {
        return static_cast<std::int32_t>(
            static_cast<std::uint32_t>(at(i)) | (static_cast<std::uint32_t>(at(i + 1)) << 8) |
            (static_cast<std::uint32_t>(at(i + 2)) << 16) | (static_cast<std::uint32_t>(at(i + 3)) << 24));
    }
};

// A whole file's bytes (empty when it cannot be read), and a file written
// with exactly the given bytes.
inline std::string file_bytes(const char* name) {
    std::string s;
    if (std::FILE* fp = std::fopen(name, "rb")) {
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) s.append(buf, n);
        std::fclose(fp);
    }
    return s;
}

inline void put_file_bytes(const char* name, const std::string& bytes) {
    if (std::FILE* fp = std::fopen(name, "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), fp);
        std::fclose(fp);
    }
}

// printf-style text for a failed property.
template <typename... A>
std::string check_fail(const char* fmt, A... args) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

// Puts back what a check changes process-wide: the settings block (defaults,
// the process heap taken), tracing off, no heap failure rules, and no
// diagnostic log left behind in the working directory.
class check_scope {
   public:
    check_scope() {
        heap_test::reset();
        set_default_sys_param(sys_param);
        shared_heap = get_process_heap();
        log_on_flg = 0;
        live_at_start_ = heap_test::live_blocks();
    }
    ~check_scope() {
        heap_test::reset();
        set_default_sys_param(sys_param);
        log_on_flg = 0;
        std::remove(err_log_file_name);
    }
    check_scope(const check_scope&) = delete;
    check_scope& operator=(const check_scope&) = delete;

    // Heap blocks allocated since the scope began and not released.
    std::int64_t blocks_held() const { return heap_test::live_blocks() - live_at_start_; }

   private:
    std::int64_t live_at_start_ = 0;
};
