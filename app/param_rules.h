// Reading and testing rules of the two parameter dialogs, without a toolkit.
//
// The dialog windows fill their fields on first paint with format_field and,
// on OK, hand the fields' texts (UTF-8) to param_dlg_ok, which reads them
// leniently, tests them in table order and stores them all only when every
// test passes.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/sys_param.h"

// Lenient number reading: leading blanks skipped, an optional sign and the
// digits (for reals also a decimal point and an exponent) taken, reading
// stops at the first character that does not fit; no number gives 0. The
// text is first cut to max_chars characters (UTF-8 code points). The decimal
// point is "." in every locale, as format_field writes it.
int read_int_field(std::string_view text, std::size_t max_chars);
double read_real_field(std::string_view text, std::size_t max_chars);

// Cuts text to at most max_chars code points.
std::string cut_chars(std::string_view utf8, std::size_t max_chars);

enum class param_field_id {
    main_win_x, main_win_y, main_win_w, main_win_h, font_size, font_name,
    part_max, min_vol_prm, sim_snd_prm, set_prm1, set_prm2, set_prm3, set_prm4,
};

enum class param_kind { integer, real, font_name };

struct param_field_rule {
    int ctl_id;               // resource control id of the edit field
    const char* label;        // static text beside the field
    param_field_id field;
    param_kind kind;
    const char* format;       // printf format of the shown value (unused for the font name)
    std::size_t read_len;     // characters read (bytes for the font name)
    bool tested;
    double lo, hi;            // the test's inclusive range (bytes for the font name)
    const char* message;      // shown when the test fails
};

std::span<const param_field_rule> ext_param_rules();  // CExtParamDlg, resource 140
std::span<const param_field_rule> sys_param_rules();  // CSysParamDlg, resource 139

inline constexpr const char* ext_param_dlg_caption = "抽出パラメータの設定";
inline constexpr const char* sys_param_dlg_caption = "パラメータ設定";
inline constexpr const char* sys_param_closing_message =
    "フォントサイズやフォント名は次回起動時に有効になります!!　　";

// The text a field shows on first paint (UTF-8).
std::string format_field(const param_field_rule& rule, const sys_param_t& p);

// OK: reads and tests texts[i] against rules[i] in order. Returns the first
// failing rule's message (nothing stored), or nullptr after storing every
// field into p.
const char* param_dlg_ok(std::span<const param_field_rule> rules,
                         std::span<const std::string> texts, sys_param_t& p);
