#include "engine/de_spike.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::int16_t to_sample(double v) {
    // Truncation toward zero, then held inside the 16-bit range.
    const double t = std::clamp(v, -32768.0, 32767.0);
    return static_cast<std::int16_t>(t);
}

}  // namespace

void de_spike_samples(std::int16_t* frames, int channel, std::int64_t cap_frames, std::int64_t len) {
    if (frames == nullptr || cap_frames <= 0) return;
    // w(k) addresses the channel's sample of frame k; k = -1 reads frame 0.
    auto at = [&](std::int64_t k) -> std::int16_t& { return frames[2 * std::max<std::int64_t>(k, 0) + channel]; };

    std::int64_t i = 4;
    // i + 5 is the farthest frame the right ramp reads; keep it inside the area.
    while (i < len - 4 && i + 5 < cap_frames) {
        const int prev = at(i - 1);
        const int cur = at(i);
        if (std::abs(cur - prev) <= de_spike_max_jump) {
            ++i;
            continue;
        }
        const int m = (cur + prev) / 2;
        at(i) = static_cast<std::int16_t>(m);
        // Left ramp: i-3, i-2, i-1, each built on the value written before it.
        for (int c = 4; c >= 2; --c) {
            const std::int64_t k = i - (c - 1);
            const double w1 = at(k - 1);
            const double w2 = at(k - 2);
            at(k) = to_sample(w1 + 0.5 * ((w1 - w2) + (m - w1) / c));
        }
        // Right ramp: i+3, i+2, i+1, mirrored.
        for (int c = 4; c >= 2; --c) {
            const std::int64_t k = i + (c - 1);
            const double w1 = at(k + 1);
            const double w2 = at(k + 2);
            at(k) = to_sample(w1 + 0.5 * ((w1 - w2) + (m - w1) / c));
        }
        i += 4;
    }
}
