#include "app/err_log.h"

#include <cstdio>
#include <string>

#include "app/c_number.h"
#include "platform/sjis.h"

int log_on_flg = 0;

int put_err_log(const char* text) {
    std::string line = utf8_to_cp932(text ? text : "");
    line += "\r\n";
    std::FILE* fp = std::fopen(err_log_file_name, "ab");
    if (fp == nullptr) fp = std::fopen(err_log_file_name, "wb");
    if (fp == nullptr) return 0;  // dropped silently: the caller is not told
    std::fwrite(line.data(), 1, line.size(), fp);
    std::fclose(fp);
    return 0;
}

int put_err_logf(const char* fmt, ...) {
    std::string line;
    va_list ap;
    va_start(ap, fmt);
    c_vappendf(line, fmt, ap);
    va_end(ap);
    return put_err_log(line.c_str());
}
