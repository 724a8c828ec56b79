#include "view/time_format.h"

#include <cmath>
#include <cstdio>

#include "app/c_number.h"

namespace {

void fmt_time_sec(double t, std::string& out) {
    // Whole minutes of the time rounded up by 0.0049 s (integer part, then / 60).
    const double whole = std::trunc(t + 0.0049);
    if (!(whole < 6000.0)) {  // also catches NaN
        out = "**:**.**";
        return;
    }
    const int m = static_cast<int>(whole) / 60;
    double sec = t - 60.0 * m;
    if (sec < 0.0) sec = 0.0;  // within 0.0049 s below a whole minute
    char buf[32];
    c_snprintf(buf, sizeof buf, "%2d:%05.2f", m, sec);  // "." whatever the locale
    out = buf;
}

}  // namespace

int fmt_time_smpl(std::int64_t samples, int rate, std::string& out) {
    if (rate == 0) {
        out = "**:**.**";
        return -1;
    }
    fmt_time_sec(static_cast<double>(samples) / rate, out);
    return 0;
}

int fmt_time_10ms(std::int64_t hundredths, std::string& out) {
    fmt_time_sec(static_cast<double>(hundredths) / 100.0, out);
    return 0;
}

int fmt_num_pic(std::string& out, const std::string& picture, std::int64_t value) {
    out.assign(picture.size(), '*');
    if (value < 0) return -1;
    const std::string digits = std::to_string(value);
    std::size_t hashes = 0;
    for (char c : picture) hashes += c == '#';

    if (digits.size() <= hashes) {
        // Right to left: each '#' takes the next digit while digits remain.
        std::size_t left = digits.size();
        for (std::size_t i = picture.size(); i-- > 0;) {
            const char c = picture[i];
            if (c == '#') {
                out[i] = left > 0 ? digits[--left] : ' ';
            } else if (c == ',') {
                out[i] = left > 0 ? ',' : ' ';
            } else {
                out[i] = c;
            }
        }
        return 0;
    }
    if (digits.size() <= picture.size()) {
        // Too long for the separators: right-aligned digits without them.
        out.assign(picture.size() - digits.size(), ' ');
        out += digits;
        return 0;
    }
    return -1;
}
