#include "app/param_rules.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "app/c_number.h"
#include "platform/sjis.h"

namespace {

constexpr const char* msg_part_max = "音楽パート抽出Max数の値が不正です!!　　";
constexpr const char* msg_min_vol = "最小音量認識ﾊﾟﾗﾒｰﾀの値が不正です!!　　";
constexpr const char* msg_sim_snd = "類似音判断用ﾊﾟﾗﾒｰﾀの値が不正です!!　　";

using K = param_kind;
using F = param_field_id;

constexpr std::array<param_field_rule, 3> ext_rules{{
    {1039, "音楽パート抽出Max数  :", F::part_max, K::integer, "%3d", 5, true, 1, 256, msg_part_max},
    {1042, "最小音量認識ﾊﾟﾗﾒｰﾀ  :", F::min_vol_prm, K::real, "%12.3f", 19, true, 500, 999999999, msg_min_vol},
    {1044, "類似音判断用ﾊﾟﾗﾒｰﾀ  :", F::sim_snd_prm, K::real, "%12.3f", 19, true, 500, 999999999, msg_sim_snd},
}};

constexpr std::array<param_field_rule, 13> sys_rules{{
    {1025, "ﾒｲﾝｳｲﾝﾄﾞｳの始点Ｘ :", F::main_win_x, K::integer, "%4d", 7, true, 0, 3999,
     "ﾒｲﾝｳｲﾝﾄﾞｳの始点Ｘの値が不正です!!　　"},
    {1026, "ﾒｲﾝｳｲﾝﾄﾞｳの始点Ｙ :", F::main_win_y, K::integer, "%4d", 7, true, 0, 3999,
     "ﾒｲﾝｳｲﾝﾄﾞｳの始点Ｙの値が不正です!!　　"},
    {1027, "ﾒｲﾝｳｲﾝﾄﾞｳの巾   :", F::main_win_w, K::integer, "%4d", 7, true, 100, 3999,
     "ﾒｲﾝｳｲﾝﾄﾞｳの巾の値が不正です!!　　"},
    {1028, "ﾒｲﾝｳｲﾝﾄﾞｳの高さ :", F::main_win_h, K::integer, "%4d", 7, true, 100, 3999,
     "ﾒｲﾝｳｲﾝﾄﾞｳの高さの値が不正です!!　　"},
    {1029, "システム使用フォントサイズ :", F::font_size, K::integer, "%2d", 3, true, 6, 99,
     "システム使用フォントサイズの値が不正です!!　　"},
    {1030, "システム使用フォント名称   :", F::font_name, K::font_name, nullptr, 59, true, 5, 60,
     "システム使用フォント名称が不正です!!　　"},
    {1038, "音楽パート抽出Max数  :", F::part_max, K::integer, "%3d", 5, true, 1, 256, msg_part_max},
    {1031, "最小音量認識ﾊﾟﾗﾒｰﾀ  :", F::min_vol_prm, K::real, "%12.3f", 19, true, 500, 999999999, msg_min_vol},
    {1032, "類似音判断用ﾊﾟﾗﾒｰﾀ  :", F::sim_snd_prm, K::real, "%12.3f", 19, true, 500, 999999999, msg_sim_snd},
    {1033, "設定パラメータ１ :", F::set_prm1, K::real, "%12.3f", 19, false, 0, 0, nullptr},
    {1034, "設定パラメータ２ :", F::set_prm2, K::real, "%12.3f", 19, false, 0, 0, nullptr},
    {1035, "設定パラメータ３ :", F::set_prm3, K::real, "%12.3f", 19, false, 0, 0, nullptr},
    {1036, "設定パラメータ４ :", F::set_prm4, K::real, "%12.3f", 19, false, 0, 0, nullptr},
}};

std::int32_t* int_field(sys_param_t& p, F f) {
    switch (f) {
        case F::main_win_x: return &p.main_win_x;
        case F::main_win_y: return &p.main_win_y;
        case F::main_win_w: return &p.main_win_w;
        case F::main_win_h: return &p.main_win_h;
        case F::font_size: return &p.font_size;
        case F::part_max: return &p.part_max;
        default: return nullptr;
    }
}

double* real_field(sys_param_t& p, F f) {
    switch (f) {
        case F::min_vol_prm: return &p.min_vol_prm;
        case F::sim_snd_prm: return &p.sim_snd_prm;
        case F::set_prm1: return &p.set_prm1;
        case F::set_prm2: return &p.set_prm2;
        case F::set_prm3: return &p.set_prm3;
        case F::set_prm4: return &p.set_prm4;
        default: return nullptr;
    }
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The longest prefix of text (after blanks) that is a number; empty if none.
std::string number_prefix(std::string_view text, bool real) {
    std::size_t i = 0;
    while (i < text.size() && is_blank(text[i])) ++i;
    const std::size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && is_digit(text[i])) ++i, ++digits;
    if (real) {
        if (i < text.size() && text[i] == '.') {
            std::size_t j = i + 1;
            std::size_t frac = 0;
            while (j < text.size() && is_digit(text[j])) ++j, ++frac;
            if (digits + frac > 0) {
                i = j;
                digits += frac;
            }
        }
        if (digits > 0 && i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
            std::size_t j = i + 1;
            if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
            std::size_t exp = 0;
            while (j < text.size() && is_digit(text[j])) ++j, ++exp;
            if (exp > 0) i = j;
        }
    }
    if (digits == 0) return {};
    return std::string(text.substr(start, i - start));
}

// Per-field values read from the texts before anything is stored.
struct read_value {
    std::int32_t i = 0;
    double d = 0.0;
    std::string name;  // CP932 bytes
};

}  // namespace

std::string cut_chars(std::string_view utf8, std::size_t max_chars) {
    std::size_t i = 0;
    std::size_t count = 0;
    while (i < utf8.size() && count < max_chars) {
        ++i;
        while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
        ++count;
    }
    return std::string(utf8.substr(0, i));
}

int read_int_field(std::string_view text, std::size_t max_chars) {
    const std::string num = number_prefix(cut_chars(text, max_chars), false);
    if (num.empty()) return 0;
    errno = 0;
    const long long v = std::strtoll(num.c_str(), nullptr, 10);
    // Out-of-range numbers saturate; every test range lies well inside.
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

double read_real_field(std::string_view text, std::size_t max_chars) {
    const std::string num = number_prefix(cut_chars(text, max_chars), true);
    if (num.empty()) return 0.0;
    return c_strtod(num.c_str(), nullptr);
}

std::span<const param_field_rule> ext_param_rules() { return ext_rules; }
std::span<const param_field_rule> sys_param_rules() { return sys_rules; }

std::string format_field(const param_field_rule& rule, const sys_param_t& p) {
    sys_param_t& q = const_cast<sys_param_t&>(p);
    char buf[64];
    switch (rule.kind) {
        case K::integer:
            c_snprintf(buf, sizeof buf, rule.format, *int_field(q, rule.field));
            return buf;
        case K::real:
            c_snprintf(buf, sizeof buf, rule.format, *real_field(q, rule.field));
            return buf;
        case K::font_name:
            return cp932_to_utf8(std::string_view(p.font_name, bounded_strlen(p.font_name, 60)));
    }
    return {};
}

const char* param_dlg_ok(std::span<const param_field_rule> rules,
                         std::span<const std::string> texts, sys_param_t& p) {
    std::vector<read_value> values(rules.size());
    for (std::size_t k = 0; k < rules.size(); ++k) {
        const param_field_rule& r = rules[k];
        const std::string_view text = k < texts.size() ? std::string_view(texts[k]) : std::string_view();
        read_value& v = values[k];
        bool ok = true;
        switch (r.kind) {
            case K::integer:
                v.i = read_int_field(text, r.read_len);
                ok = v.i >= r.lo && v.i <= r.hi;
                break;
            case K::real:
                v.d = read_real_field(text, r.read_len);
                ok = v.d >= r.lo && v.d <= r.hi;
                break;
            case K::font_name: {
                // The name is held as CP932; its length counts bytes. The
                // cut is a plain byte cut, as the field's buffer would make it.
                std::string bytes = utf8_to_cp932(text);
                if (bytes.size() > r.read_len) bytes.resize(r.read_len);
                v.name = bytes;
                ok = v.name.size() >= r.lo && v.name.size() <= r.hi;
                break;
            }
        }
        if (r.tested && !ok) return r.message;
    }
    for (std::size_t k = 0; k < rules.size(); ++k) {
        const param_field_rule& r = rules[k];
        switch (r.kind) {
            case K::integer: *int_field(p, r.field) = values[k].i; break;
            case K::real: *real_field(p, r.field) = values[k].d; break;
            case K::font_name:
                std::memset(p.font_name, 0, sizeof p.font_name);
                std::memcpy(p.font_name, values[k].name.data(), values[k].name.size());
                break;
        }
    }
    return nullptr;
}
