#include "engine/de_spike.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdlib>

#include "document/le_bytes.h"

namespace {

// The first i in [from, to) whose sample differs from the one before it by
// more than de_spike_max_jump (to when there is none). Frames from - 1 ..
// to - 1 must lie in the buffer.
std::int64_t next_jump(const unsigned char* frames, int channel, std::int64_t from, std::int64_t to) {
    std::int64_t i = from;
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // Four frames at a time: each 32-bit lane holds a frame, the channel's
    // sample is its low (left) or high (right) half, widened with its sign.
    const __m128i lim_hi = _mm_set1_epi32(de_spike_max_jump);
    const __m128i lim_lo = _mm_set1_epi32(-de_spike_max_jump);
    for (; i + 4 <= to; i += 4) {
        __m128i cur = _mm_loadu_si128(reinterpret_cast<const __m128i*>(frames + 4 * i));
        __m128i prev = _mm_loadu_si128(reinterpret_cast<const __m128i*>(frames + 4 * (i - 1)));
        if (channel == 0) {
            cur = _mm_slli_epi32(cur, 16);
            prev = _mm_slli_epi32(prev, 16);
        }
        const __m128i d = _mm_sub_epi32(_mm_srai_epi32(cur, 16), _mm_srai_epi32(prev, 16));
        const __m128i out = _mm_or_si128(_mm_cmpgt_epi32(d, lim_hi), _mm_cmplt_epi32(d, lim_lo));
        if (_mm_movemask_epi8(out) != 0) break;  // the jump is among these four
    }
#endif
    for (; i < to; ++i) {
        const int d = get_frame_sample(frames, i, channel) - get_frame_sample(frames, i - 1, channel);
        if (std::abs(d) > de_spike_max_jump) return i;
    }
    return to;
}

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
    const std::int64_t end = std::min(len - 4, cap_frames - 5);
    while (i < end) {
        i = next_jump(frames, channel, i, end);
        if (i >= end) break;
        const int prev = get(i - 1);
        const int cur = get(i);
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
