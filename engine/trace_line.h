// Building the engine's diagnostic lines piece by piece.
//
// A trace line is a tag such as "<update_already_part> 現在音圧 : " followed
// by name=value pieces, written as one log record after a separator record
// holding a single blank. Callers test log_tracing() before building one.
#pragma once

#include <string>

struct extr_state;

// Appends printf-formatted text to line.
void trc_add(std::string& line, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// "anlz_ptr=%8ld " "chnl_slct=%1d " "anlz_ptr_L=%8ld, " "anlz_ptr_R=%8ld, "
void trc_add_pos4(std::string& line, const extr_state& st);
// The last three of those: "chnl_slct=%1d " "anlz_ptr_L=%8ld, " "anlz_ptr_R=%8ld, "
void trc_add_pos3(std::string& line, const extr_state& st);

// Writes the separator record " " and then the line.
void trc_put(const std::string& line);
