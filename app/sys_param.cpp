#include "app/sys_param.h"

#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "app/err_log.h"
#include "app/file_replace.h"
#include "platform/sjis.h"

sys_param_t sys_param{};
int disp_font_size = 12;
char disp_font_name[80] = {};
HEAP_HANDLE shared_heap = nullptr;

namespace {

// Range tests written so that a NaN fails them.
bool in_range(double v, double lo, double hi) { return v >= lo && v <= hi; }
bool in_range(std::int32_t v, std::int32_t lo, std::int32_t hi) { return v >= lo && v <= hi; }

bool file_exists(const char* name) { return access(name, F_OK) == 0; }

void write_block(const char* name, const sys_param_t& p) {
    std::FILE* fp = std::fopen(name, "wb");
    if (fp == nullptr) return;
    std::fwrite(&p, sizeof p, 1, fp);
    std::fclose(fp);
}

}  // namespace

void set_default_sys_param(sys_param_t& p) {
    std::memset(&p, 0, sizeof p);
    p.main_win_x = 10;
    p.main_win_y = 10;
    p.main_win_w = 1000;
    p.main_win_h = 740;
    p.part_max = 8;
    p.min_vol_prm = 5000.0;
    p.sim_snd_prm = 3000.0;
    p.set_prm1 = 355632.475;
    p.set_prm2 = 123.5;
    p.set_prm3 = 300.0;
    p.set_prm4 = 32.375;
    p.font_size = 12;
    std::memcpy(p.font_name, default_font_name_cp932, sizeof default_font_name_cp932);
}

void validate_sys_param(sys_param_t& p) {
    sys_param_t d;
    set_default_sys_param(d);
    if (!in_range(p.main_win_x, 0, 3999)) p.main_win_x = d.main_win_x;
    if (!in_range(p.main_win_y, 0, 3999)) p.main_win_y = d.main_win_y;
    if (!in_range(p.main_win_w, 100, 3999)) p.main_win_w = d.main_win_w;
    if (!in_range(p.main_win_h, 100, 3999)) p.main_win_h = d.main_win_h;
    if (!in_range(p.part_max, 1, 256)) p.part_max = d.part_max;
    if (!in_range(p.min_vol_prm, 500.0, 999999999.0)) p.min_vol_prm = d.min_vol_prm;
    if (!in_range(p.sim_snd_prm, 500.0, 999999999.0)) p.sim_snd_prm = d.sim_snd_prm;
    if (!in_range(p.set_prm1, 100.0, 10000000.0)) p.set_prm1 = d.set_prm1;
    if (!in_range(p.set_prm2, 10.0, 1100.0)) p.set_prm2 = d.set_prm2;
    if (!in_range(p.set_prm3, 0.0, p.set_prm2)) p.set_prm3 = d.set_prm3;
    // set_prm4 is kept whatever it holds.
    if (!in_range(p.font_size, 8, 30)) p.font_size = d.font_size;
    const std::size_t len = bounded_strlen(p.font_name, sizeof p.font_name);
    if (len < 8 || len > 60) {
        std::memset(p.font_name, 0, sizeof p.font_name);
        std::memcpy(p.font_name, d.font_name, sizeof d.font_name);
    }
}

int load_sys_param() {
    log_on_flg = 0;
    set_default_sys_param(sys_param);

    if (!file_exists(sys_param_file_name)) {
        write_block(sys_param_file_name, sys_param);
    } else if (std::FILE* fp = std::fopen(sys_param_file_name, "rb"); fp == nullptr) {
        write_block(sys_param_file_name, sys_param);
    } else {
        // A shorter file replaces only the bytes it has.
        unsigned char buf[sizeof(sys_param_t)];
        const std::size_t n = std::fread(buf, 1, sizeof buf, fp);
        std::fclose(fp);
        std::memcpy(&sys_param, buf, n);
    }

    validate_sys_param(sys_param);

    if (file_exists(err_log_file_name)) std::remove(err_log_file_name);

    shared_heap = get_process_heap();

    disp_font_size = sys_param.font_size;
    std::memcpy(disp_font_name, sys_param.font_name, sizeof disp_font_name);
    return 0;
}

int save_sys_param() {
    // Replaced through a temporary file, so a crash or a full disk at exit
    // never leaves a truncated file; any failure stays silent.
    replace_file_bytes(sys_param_file_name, &sys_param, sizeof sys_param);
    return 0;
}
