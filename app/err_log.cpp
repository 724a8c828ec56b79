#include "app/err_log.h"

#include <cstdio>
#include <string>
#include <vector>

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
    char small[512];
    va_list ap;
    va_start(ap, fmt);
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(small, sizeof small, fmt, ap);
    va_end(ap);
    if (n < 0) {
        va_end(copy);
        return put_err_log("");
    }
    if (static_cast<std::size_t>(n) < sizeof small) {
        va_end(copy);
        return put_err_log(small);
    }
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), fmt, copy);
    va_end(copy);
    return put_err_log(big.data());
}
