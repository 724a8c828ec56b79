#include "engine/trace_line.h"

#include <cstdarg>
#include <cstdio>

#include "app/err_log.h"
#include "engine/extr_state.h"

void trc_add(std::string& line, const char* fmt, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, fmt);
    va_list again;
    va_copy(again, ap);
    const int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof buf) {
        line.append(buf, static_cast<std::size_t>(n));
    } else if (n >= 0) {
        const std::size_t old = line.size();
        line.resize(old + static_cast<std::size_t>(n) + 1);
        std::vsnprintf(line.data() + old, static_cast<std::size_t>(n) + 1, fmt, again);
        line.resize(old + static_cast<std::size_t>(n));
    }
    va_end(again);
}

void trc_add_pos4(std::string& line, const extr_state& st) {
    trc_add(line, "anlz_ptr=%8ld ", static_cast<long>(st.anlz_ptr));
    trc_add_pos3(line, st);
}

void trc_add_pos3(std::string& line, const extr_state& st) {
    trc_add(line, "chnl_slct=%1d ", st.chnl_slct);
    trc_add(line, "anlz_ptr_L=%8ld, ", static_cast<long>(st.anlz_ptr_L));
    trc_add(line, "anlz_ptr_R=%8ld, ", static_cast<long>(st.anlz_ptr_R));
}

void trc_put(const std::string& line) {
    put_err_log(" ");
    put_err_log(line.c_str());
}
