// Colour scales of the spectrum display. Colours are Windows-style
// 0x00BBGGRR values: red in the low byte, blue in the third.
#pragma once

#include <cstdint>

using tw_colorref = std::uint32_t;

// Level scale over lo .. hi: black, blue, red, yellow, white in 256-step
// bands of n = trunc((v - lo)/(hi - lo) * 1024 + 0.5). Black when lo >= hi or
// v < lo, white when v > hi.
tw_colorref lvl_color(double value, double lo, double hi);

// Signed difference scale over lo .. hi: pure blue fading to black over the
// lower half, black to pure red over the upper half (n over 0 .. 512).
// Black when lo >= hi; pure blue below lo, pure red above hi.
tw_colorref dif_color(double value, double lo, double hi);
