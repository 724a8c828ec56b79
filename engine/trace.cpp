#include "engine/trace.h"

#include <cstdarg>
#include <string>

#include "app/c_number.h"

void put_trace_line(const char* fmt, ...) {
    if (!log_tracing()) return;
    std::string line;
    va_list ap;
    va_start(ap, fmt);
    c_vappendf(line, fmt, ap);
    va_end(ap);
    put_err_log(" ");
    put_err_log(line.c_str());
}
