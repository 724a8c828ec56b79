// CP932 <-> UTF-8 conversion of arbitrary bytes.

#include <string>
#include <string_view>

#include "fuzz/check_util.h"
#include "fuzz/fuzz_checks.h"
#include "platform/sjis.h"

namespace {

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool valid_utf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int n = 0;
        std::uint32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            n = 1, cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            n = 2, cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            n = 3, cp = b & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k <= n; ++k) {
            if (i + k >= s.size()) return false;
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF))) return false;
        if (cp >= 0xD800 && cp <= 0xDFFF) return false;
        i += static_cast<std::size_t>(n) + 1;
    }
    return true;
}

// Well-formed CP932: ASCII, half-width katakana, or a lead byte followed by
// a trail byte. Nothing else may reach a name table or the log.
bool valid_cp932(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) continue;
        if (!is_cp932_lead_byte(b) || i + 1 >= s.size()) return false;
        const auto t = static_cast<unsigned char>(s[++i]);
        if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
    }
    return true;
}

bool all_ascii(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

}  // namespace

std::string check_cp932(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = cp932_to_utf8(in);
    if (!valid_utf8(utf8)) return "cp932_to_utf8 made malformed UTF-8";
    if (utf8.size() > 3 * in.size()) return "cp932_to_utf8 grew the text more than three times";

    const std::string sjis = utf8_to_cp932(in);
    if (!valid_cp932(sjis)) return "utf8_to_cp932 made malformed CP932";
    if (sjis.size() > in.size()) return "utf8_to_cp932 made the text longer";

    if (all_ascii(in) && (utf8 != in || sjis != in)) return "ASCII text did not stay itself";

    // Once converted, a text goes back and forth unchanged.
    const std::string once = utf8_to_cp932(utf8);
    if (!valid_cp932(once)) return "a converted text came back malformed";
    const std::string back = cp932_to_utf8(once);
    if (utf8_to_cp932(back) != once) return "a converted text changed on a second round trip";
    return {};
}
