#include "engine/color_scale.h"

#include <cmath>

namespace {

tw_colorref rgb(int r, int g, int b) {
    return static_cast<tw_colorref>(r) | (static_cast<tw_colorref>(g) << 8) |
           (static_cast<tw_colorref>(b) << 16);
}

// Position of v in lo .. hi as a band index: trunc(f * steps + 0.5), with f
// = 0 when the range is empty. A value that is no number gives -1 so that it
// takes the colour of the bottom of the scale instead of an undefined cast.
int band_index(double v, double lo, double hi, double steps) {
    const double span = hi - lo;
    const double f = span == 0.0 ? 0.0 : (v - lo) / span;
    const double n = std::trunc(f * steps + 0.5);
    if (!(n >= 0.0)) return -1;
    if (n > 4096.0) return 4096;
    return static_cast<int>(n);
}

}  // namespace

tw_colorref lvl_color(double value, double lo, double hi) {
    if (!(lo < hi)) return rgb(0, 0, 0);
    if (value < lo) return rgb(0, 0, 0);
    if (value > hi) return rgb(255, 255, 255);
    const int n = band_index(value, lo, hi, 1024.0);
    if (n < 0) return rgb(0, 0, 0);
    if (n < 256) return rgb(0, 0, n);                      // black to blue
    if (n < 512) return rgb(n - 256, 0, 255 - (n - 256));  // blue to red
    if (n < 768) return rgb(255, n - 512, 0);              // red to yellow
    if (n < 1024) return rgb(255, 255, n - 768);           // yellow to white
    return rgb(255, 255, 255);
}

tw_colorref dif_color(double value, double lo, double hi) {
    if (!(lo < hi)) return rgb(0, 0, 0);
    if (value < lo) return rgb(0, 0, 255);
    if (value > hi) return rgb(255, 0, 0);
    const int n = band_index(value, lo, hi, 512.0);
    if (n < 0) return rgb(0, 0, 255);
    if (n < 256) return rgb(0, 0, 255 - n);  // blue fading to black
    if (n < 512) return rgb(n - 256, 0, 0);  // black to red
    return rgb(255, 0, 0);
}
