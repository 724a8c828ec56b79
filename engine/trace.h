// Trace lines of the engine in the diagnostic log.
//
// While tracing is on (log_on_flg == 1) each trace line is preceded by a
// separator line holding a single blank. Failure lines ("... NG !!",
// "Allready YES !!") do not come through here: they are written with
// put_err_log whether or not tracing is on.
#pragma once

#include "app/err_log.h"

// Formats one line (printf style, UTF-8) and writes the separator and the
// line, only while tracing. Callers that have to compute values for the line
// test log_tracing() first.
void put_trace_line(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
