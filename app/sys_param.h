// The settings block and its file "Tonewarp.Inf" (240 bytes, little-endian).
//
// The block is process-wide. load_sys_param runs once at start-up, before the
// main window exists; save_sys_param once when the main frame is destroyed.
// Reserved ranges are never interpreted: the bytes read from the file are
// kept and written back.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/heap.h"

struct sys_param_t {
    char rsv_0[4];
    std::int32_t main_win_x;  // left edge of the main window, pixels
    std::int32_t main_win_y;  // top edge
    std::int32_t main_win_w;  // width
    std::int32_t main_win_h;  // height
    char rsv_20[16];
    std::int32_t part_max;    // maximum number of parts of a run, 1 .. 256
    double min_vol_prm;       // minimum-volume recognition parameter
    double sim_snd_prm;       // similar-sound judgement parameter
    double set_prm1;          // frequency display scale
    double set_prm2;          // similarity test parameters
    double set_prm3;
    double set_prm4;          // only shown and edited
    char rsv_88[32];
    char rsv_120[36];
    std::int32_t font_size;   // display font height
    char font_name[80];       // display font face, CP932, NUL-terminated
};

static_assert(sizeof(sys_param_t) == 240);
static_assert(offsetof(sys_param_t, main_win_x) == 4);
static_assert(offsetof(sys_param_t, main_win_y) == 8);
static_assert(offsetof(sys_param_t, main_win_w) == 12);
static_assert(offsetof(sys_param_t, main_win_h) == 16);
static_assert(offsetof(sys_param_t, part_max) == 36);
static_assert(offsetof(sys_param_t, min_vol_prm) == 40);
static_assert(offsetof(sys_param_t, sim_snd_prm) == 48);
static_assert(offsetof(sys_param_t, set_prm1) == 56);
static_assert(offsetof(sys_param_t, set_prm2) == 64);
static_assert(offsetof(sys_param_t, set_prm3) == 72);
static_assert(offsetof(sys_param_t, set_prm4) == 80);
static_assert(offsetof(sys_param_t, font_size) == 156);
static_assert(offsetof(sys_param_t, font_name) == 160);

extern sys_param_t sys_param;

// Start-up copies the view builds its font from.
extern int disp_font_size;
extern char disp_font_name[80];

// The process-wide heap handle, taken by load_sys_param.
extern HEAP_HANDLE shared_heap;

inline constexpr const char* sys_param_file_name = "Tonewarp.Inf";

// CP932 bytes of the default font name "ＭＳ ゴシック" (13 bytes).
inline constexpr char default_font_name_cp932[] =
    "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

// Fills the block with the defaults (reserved ranges zero).
void set_default_sys_param(sys_param_t& p);

// Replaces every field that fails its loading test by its default, in
// field order (set_prm3 is tested against the already tested set_prm2).
void validate_sys_param(sys_param_t& p);

int load_sys_param();
int save_sys_param();
