#include "view/ruler.h"

#include <cmath>

#include "view/time_format.h"

long long ruler_label_step(double dens) {
    if (!(dens > 0.0)) return 0;
    if (dens >= 10.0) return 1;
    const double raw = std::trunc(10.0 / dens);
    if (raw > 1e15) return 0;  // a density this small has no usable labels
    long long k = 1 + static_cast<long long>(raw);
    // Round up to a "nice" step: decade e covers 10^e + 2 .. 10^(e+1) - 1
    // (2 .. 9 for e = 0) and rounds to multiples of 2 * 10^e.
    for (long long p = 1; p <= 1000000000000LL; p *= 10) {
        const long long lo = p == 1 ? 2 : p + 2;
        const long long hi = 10 * p - 1;
        if (k >= lo && k <= hi) {
            const long long m = 2 * p;
            k = (k + m - 1) / m * m;
            break;
        }
    }
    return k;
}

ruler_plan plan_time_scale(const view_rect& r, int s, const view_disp_state& st) {
    ruler_plan pl;
    const int cw = st.cw;
    const int ch = st.ch;
    const int hw = st.hw;
    const int hh = st.hh;
    const double dens = st.ruler_dens;
    if (cw <= 0 || ch <= 0 || !(dens > 0.0) || !(st.sec_per_pix > 0.0)) return pl;
    // One hundredth of a second must fit into the rectangle.
    if (r.width() < static_cast<long long>(std::trunc(cw * dens))) return pl;

    const long long k = ruler_label_step(dens);
    const double P_real = std::trunc(static_cast<double>(k) * cw * dens);
    if (k <= 0 || P_real < 1.0 || P_real > 1e9) return pl;
    const int P = static_cast<int>(P_real);

    pl.drawn = true;
    pl.step = k;
    pl.spacing = P;
    pl.y0 = r.top - 2 * ch - s + 1;
    pl.label_row = (hh + pl.y0) / ch;
    pl.long_y1 = pl.y0 + ch;
    pl.long_y2 = pl.y0 + 2 * ch - 2;
    pl.short_y1 = pl.y0 + ch + 2 * (ch - 2) / 3;
    pl.short_y2 = pl.y0 + 2 * ch - 2;

    const double start_sec = static_cast<double>(st.draw_stt) / view_rate;
    const long long first = 1 + static_cast<long long>(std::trunc(100.0 * start_sec));
    long long v = k * (first / k);
    const double dx = std::trunc((static_cast<double>(v) / 100.0 - start_sec) / st.sec_per_pix);
    if (dx < -1e9 || dx > 1e9) return pl;
    long long x = r.left + 1 + static_cast<long long>(dx);

    auto tick_visible = [&](long long tx) { return r.left + 1 <= tx && tx < r.right - 1; };
    auto add_short = [&](long long tx) {
        if (tick_visible(tx)) pl.short_x.push_back(static_cast<int>(tx));
    };

    // Short ticks before the first label (it may lie left of the rectangle).
    for (int j = 1; j <= 29; ++j) add_short(x - static_cast<long long>(std::trunc(j * P * 0.1)));

    const long long label_end = static_cast<long long>(r.right) - 8 * cw - hw;
    while (x < label_end) {
        if (x >= r.left + 1) {
            ruler_label lb;
            lb.x = static_cast<int>(x);
            lb.time_10ms = v;
            fmt_time_10ms(v, lb.text);
            if (!lb.text.empty() && lb.text[0] == ' ') lb.text.erase(0, 1);
            lb.col = lb.x / cw + 1;
            pl.labels.push_back(std::move(lb));
            if (tick_visible(x)) pl.long_x.push_back(static_cast<int>(x));
        }
        for (int j = 1; j <= 9; ++j) add_short(x + static_cast<long long>(std::trunc(j * P * 0.1)));
        v += k;
        x += P;
    }
    return pl;
}
