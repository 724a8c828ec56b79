#include "engine/trace.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

void put_trace_line(const char* fmt, ...) {
    if (!log_tracing()) return;
    char small[1024];
    va_list ap;
    va_start(ap, fmt);
    va_list copy;
    va_copy(copy, ap);
    const int n = std::vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    put_err_log(" ");
    if (n < 0) {
        put_err_log("");
    } else if (static_cast<std::size_t>(n) < sizeof small) {
        put_err_log(small);
    } else {
        std::vector<char> big(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(big.data(), big.size(), fmt, copy);
        put_err_log(big.data());
    }
    va_end(copy);
}
