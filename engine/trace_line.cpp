#include "engine/trace_line.h"

#include <cstdarg>

#include "app/c_number.h"
#include "app/err_log.h"
#include "engine/extr_state.h"

void trc_add(std::string& line, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    c_vappendf(line, fmt, ap);
    va_end(ap);
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
