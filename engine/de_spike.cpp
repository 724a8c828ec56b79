#include "engine/de_spike.h"

#include <algorithm>
#include <cstdlib>

#include "document/le_bytes.h"

namespace {

std::int16_t to_sample(double v) {
    // Truncation toward zero, held inside the 16-bit range.
    return static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
}

}  // namespace

void de_spike_samples(unsigned char* frames, int channel, std::int64_t cap_frames, std::int64_t len) {
    if (frames == nullptr || cap_frames <= 0) return;
    // Frame k's sample; k = -1 reads frame 0.
    auto get = [&](std::int64_t k) -> int {
        return get_frame_sample(frames, std::max<std::int64_t>(k, 0), channel);
    };
    auto put = [&](std::int64_t k, std::int16_t v) { put_frame_sample(frames, k, channel, v); };

    std::int64_t i = 4;
    // i + 5 is the farthest frame the right ramp reads; it stays inside the area.
    while (i < len - 4 && i + 5 < cap_frames) {
        const int prev = get(i - 1);
        const int cur = get(i);
        if (std::abs(cur - prev) <= de_spike_max_jump) {
            ++i;
            continue;
        }
        const int m = (cur + prev) / 2;
        put(i, static_cast<std::int16_t>(m));
        // Left ramp, i-3 .. i-1 with c = 4, 3, 2, each built on the value written before it.
        for (int c = 4; c >= 2; --c) {
            const std::int64_t k = i - (c - 1);
            const double w1 = get(k - 1);
            const double w2 = get(k - 2);
            put(k, to_sample(w1 + 0.5 * ((w1 - w2) + (m - w1) / c)));
        }
        // Right ramp, i+3 .. i+1, mirrored.
        for (int c = 4; c >= 2; --c) {
            const std::int64_t k = i + (c - 1);
            const double w1 = get(k + 1);
            const double w2 = get(k + 2);
            put(k, to_sample(w1 + 0.5 * ((w1 - w2) + (m - w1) / c)));
        }
        i += 4;
    }
}
