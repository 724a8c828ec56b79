#include "app/c_number.h"

#include <locale.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The C locale object, made once. Null if it cannot be made; the calls then
// run in the thread's locale as it is.
locale_t c_locale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t{});
    return loc;
}

// Switches the calling thread to the C locale for the life of the object.
class c_locale_scope {
public:
    c_locale_scope() : old_(c_locale() != locale_t{} ? uselocale(c_locale()) : locale_t{}) {}
    ~c_locale_scope() {
        if (old_ != locale_t{}) uselocale(old_);
    }
    c_locale_scope(const c_locale_scope&) = delete;
    c_locale_scope& operator=(const c_locale_scope&) = delete;

private:
    locale_t old_;
};

}  // namespace

void c_vappendf(std::string& out, const char* fmt, std::va_list ap) {
    const c_locale_scope in_c;
    std::va_list again;
    va_copy(again, ap);
    char small[512];
    const int n = std::vsnprintf(small, sizeof small, fmt, ap);
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof small) {
        out.append(small, static_cast<std::size_t>(n));
    } else if (n >= 0) {
        const std::size_t old = out.size();
        out.resize(old + static_cast<std::size_t>(n) + 1);
        std::vsnprintf(out.data() + old, static_cast<std::size_t>(n) + 1, fmt, again);
        out.resize(old + static_cast<std::size_t>(n));
    }
    va_end(again);
}

int c_snprintf(char* buf, std::size_t size, const char* fmt, ...) {
    const c_locale_scope in_c;
    std::va_list ap;
    va_start(ap, fmt);
    const int n = std::vsnprintf(buf, size, fmt, ap);
    va_end(ap);
    return n;
}

double c_strtod(const char* text, char** end) {
    const c_locale_scope in_c;
    return std::strtod(text, end);
}
