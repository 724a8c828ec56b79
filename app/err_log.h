// Diagnostic log "Err_Log.Lst" in the current directory.
//
// Each call appends one line, converted from UTF-8 to CP932 and ended with
// CR LF; the file is opened and closed per line so the line is on disk when
// the call returns. put_err_log never looks at log_on_flg: callers test
// log_on_flg == 1 before writing trace lines; failure lines are unconditional.
#pragma once

#include <cstdarg>

extern int log_on_flg;

// The log's bare file name.
inline constexpr const char* err_log_file_name = "Err_Log.Lst";

int put_err_log(const char* text);

// printf-style helper: formats (UTF-8, numbers with a "." whatever the
// locale) then appends one line.
int put_err_logf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// True when trace lines are to be written (only the value 1 enables them).
inline bool log_tracing() { return log_on_flg == 1; }
