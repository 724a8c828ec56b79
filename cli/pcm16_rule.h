// How a decoded sample becomes a 16-bit one: the one rule every recording
// read through libsndfile follows, so that the same file always gives the
// same samples and therefore the same parts.
//
// Samples come normalised to full scale 1.0 (libsndfile's double path: an
// integer sample of b bits arrives as s / 2^(b-1), exactly). The 16-bit
// value is x * 32768 rounded to the nearest integer, halves away from zero,
// then held at -32768 ... 32767; there is no dither. So a 16-bit source
// comes back unchanged, a 24-bit sample that is v * 256 becomes v, a 32-bit
// one that is v * 65536 becomes v, and a float -1.0 becomes -32768 while
// +1.0 is held at 32767. A sample that is not a number becomes 0; it is
// counted with the held ones.
#pragma once

#include <cmath>
#include <cstdint>

struct pcm16_rule {
    std::int64_t held = 0;  // samples that were out of range (or not a number)

    std::int16_t operator()(double x) {
        if (std::isnan(x)) {
            ++held;
            return 0;
        }
        const double v = std::round(x * 32768.0);
        if (v > 32767.0) {
            ++held;
            return 32767;
        }
        if (v < -32768.0) {
            ++held;
            return -32768;
        }
        return static_cast<std::int16_t>(v);
    }
};
