#include "platform/sjis.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace {

// One converter per direction, opened once; iconv descriptors carry shift
// state, so each call resets them and the mutex keeps calls apart.
struct converter {
    iconv_t cd;
    std::mutex m;
    converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
};

converter& to_cp932() {
    static converter c("CP932", "UTF-8");
    return c;
}

converter& from_cp932() {
    static converter c("UTF-8", "CP932");
    return c;
}

// Converts in, skipping one input unit at each place iconv rejects and
// emitting the replacement instead. skip_unit tells how many bytes to drop.
template <typename SkipUnit>
std::string convert(converter& c, std::string_view in, std::string_view replacement,
                    SkipUnit skip_unit) {
    std::string out;
    out.reserve(in.size() * 2 + 4);
    if (c.cd == reinterpret_cast<iconv_t>(-1)) {
        // No converter in this C library: keep ASCII, replace the rest.
        for (unsigned char ch : in) {
            if (ch < 0x80) out.push_back(static_cast<char>(ch));
            else out.append(replacement);
        }
        return out;
    }
    std::lock_guard lock(c.m);
    iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char buf[256];
    while (src_left > 0) {
        char* dst = buf;
        std::size_t dst_left = sizeof buf;
        std::size_t r = iconv(c.cd, &src, &src_left, &dst, &dst_left);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (r != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (truncated sequence at the end): replace one unit.
        std::size_t n = skip_unit(reinterpret_cast<const unsigned char*>(src), src_left);
        if (n == 0 || n > src_left) n = 1;
        src += n;
        src_left -= n;
        out.append(replacement);
        iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

std::size_t utf8_unit(const unsigned char* p, std::size_t left) {
    std::size_t n = 1;
    if (p[0] >= 0xF0) n = 4;
    else if (p[0] >= 0xE0) n = 3;
    else if (p[0] >= 0xC0) n = 2;
    // Never swallow bytes that do not continue the sequence.
    std::size_t k = 1;
    while (k < n && k < left && (p[k] & 0xC0) == 0x80) ++k;
    return k;
}

std::size_t cp932_unit(const unsigned char* p, std::size_t left) {
    // An invalid pair drops its lead byte only, so a following ASCII byte
    // (as in a lead byte followed by a digit) is still converted.
    (void)left;
    (void)p;
    return 1;
}

}  // namespace

std::string utf8_to_cp932(std::string_view utf8) {
    return convert(to_cp932(), utf8, "?", utf8_unit);
}

std::string cp932_to_utf8(std::string_view cp932) {
    return convert(from_cp932(), cp932, "\xEF\xBF\xBD", cp932_unit);
}

bool is_cp932_lead_byte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::size_t bounded_strlen(const char* field, std::size_t cap) {
    const void* nul = std::memchr(field, 0, cap);
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : cap;
}
