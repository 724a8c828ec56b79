// load_sys_param and save_sys_param over an arbitrary settings file.
//
// Every field's loading test is restated here from the field table, so the
// block the loader leaves can be compared field by field with what the
// file held.

#include <unistd.h>

#include <cmath>
#include <cstring>
#include <string>

#include "fuzz/check_util.h"
#include "fuzz/fuzz_checks.h"

namespace {

template <typename T>
T field_at(const unsigned char* block, std::size_t off) {
    T v;
    std::memcpy(&v, block + off, sizeof v);
    return v;
}

bool same_bits(const void* a, const void* b, std::size_t n) { return std::memcmp(a, b, n) == 0; }

// One numeric field: where it lies, its default, and whether a value passes.
struct int_field {
    const char* name;
    std::size_t off;
    std::int32_t dflt, lo, hi;
};
struct real_field {
    const char* name;
    std::size_t off;
    double dflt, lo, hi;
};

constexpr int_field int_fields[] = {
    {"main_win_x", 4, 10, 0, 3999},     {"main_win_y", 8, 10, 0, 3999}, {"main_win_w", 12, 1000, 100, 3999},
    {"main_win_h", 16, 740, 100, 3999}, {"part_max", 36, 8, 1, 256},    {"font_size", 156, 12, 8, 30},
};
constexpr real_field real_fields[] = {
    {"min_vol_prm", 40, 5000.0, 500.0, 999999999.0},
    {"sim_snd_prm", 48, 3000.0, 500.0, 999999999.0},
    {"set_prm1", 56, 355632.475, 100.0, 10000000.0},
    {"set_prm2", 64, 123.5, 10.0, 1100.0},
};

// Byte ranges nobody interprets: kept as read.
constexpr std::size_t reserved[][2] = {{0, 4}, {20, 36}, {88, 156}};

std::string check_block(const unsigned char* file, const sys_param_t& got) {
    const auto* g = reinterpret_cast<const unsigned char*>(&got);
    for (const auto& f : int_fields) {
        const auto v = field_at<std::int32_t>(file, f.off);
        const std::int32_t want = v >= f.lo && v <= f.hi ? v : f.dflt;
        if (field_at<std::int32_t>(g, f.off) != want) return check_fail("%s not loaded right", f.name);
    }
    for (const auto& f : real_fields) {
        const auto v = field_at<double>(file, f.off);
        const double want = v >= f.lo && v <= f.hi ? v : f.dflt;
        const double have = field_at<double>(g, f.off);
        if (!same_bits(&have, &want, sizeof have)) return check_fail("%s not loaded right", f.name);
    }
    // set_prm3 is tested against set_prm2 as already tested.
    const double p2 = got.set_prm2;
    const auto p3 = field_at<double>(file, 72);
    const double want3 = p3 >= 0.0 && p3 <= p2 ? p3 : 300.0;
    if (!same_bits(&got.set_prm3, &want3, 8)) return "set_prm3 not loaded right";
    if (!same_bits(g + 80, file + 80, 8)) return "set_prm4 not kept as read";
    for (const auto& r : reserved) {
        if (!same_bits(g + r[0], file + r[0], r[1] - r[0]))
            return check_fail("reserved bytes at %zu changed", r[0]);
    }
    const void* nul = std::memchr(file + 160, 0, 80);
    const std::size_t len =
        nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - (file + 160)) : 80;
    if (len >= 8 && len <= 60) {
        if (!same_bits(got.font_name, file + 160, 80)) return "a valid font name was not kept";
    } else {
        char dflt[80] = {};
        std::memcpy(dflt, default_font_name_cp932, sizeof default_font_name_cp932);
        if (!same_bits(got.font_name, dflt, 80))
            return "an invalid font name was not replaced by the default";
    }
    return {};
}

}  // namespace

std::string check_sys_param_file(const std::uint8_t* data, std::size_t size) {
    check_scope scope;
    const std::string file(reinterpret_cast<const char*>(data), size);
    put_file_bytes(sys_param_file_name, file);
    put_file_bytes(err_log_file_name, "old log\r\n");
    log_on_flg = 1;
    shared_heap = nullptr;

    load_sys_param();

    // The block the file gives: its first 240 bytes over the defaults.
    sys_param_t dflt;
    set_default_sys_param(dflt);
    unsigned char image[sizeof(sys_param_t)];
    std::memcpy(image, &dflt, sizeof image);
    std::memcpy(image, data, size < sizeof image ? size : sizeof image);

    if (std::string r = check_block(image, sys_param); !r.empty()) return r;
    if (log_on_flg != 0) return "loading left tracing on";
    if (access(err_log_file_name, F_OK) == 0) return "loading kept the old diagnostic log";
    if (shared_heap != get_process_heap()) return "loading did not take the process heap";
    if (disp_font_size != sys_param.font_size || std::memcmp(disp_font_name, sys_param.font_name, 80) != 0) {
        return "the display font copies differ from the block";
    }
    if (file_bytes(sys_param_file_name) != file) return "loading an existing file changed it";

    const sys_param_t loaded = sys_param;
    save_sys_param();
    const std::string saved = file_bytes(sys_param_file_name);
    if (saved.size() != sizeof loaded || std::memcmp(saved.data(), &loaded, sizeof loaded) != 0) {
        return "the saved file is not the 240-byte block";
    }
    if (access((std::string(sys_param_file_name) + ".tmp").c_str(), F_OK) == 0)
        return "saving left a temporary file";
    load_sys_param();
    if (std::memcmp(&sys_param, &loaded, sizeof loaded) != 0) return "loading a saved block changed it";
    std::remove(sys_param_file_name);
    return {};
}
