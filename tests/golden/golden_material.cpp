#include "golden_material.h"

#include <cstdint>
#include <vector>

#include "tests/support/wave_bytes.h"

namespace {

constexpr int rate = 44100;
constexpr double half_pi = 1.57079632679489661923;

// sin(2π·phase/2³²) from a ninth-order Taylor polynomial on a quarter
// circle (error below 4e-6: ample for test material).
double poly_sin(std::uint32_t phase) {
    const std::uint32_t quadrant = phase >> 30;
    const double f = static_cast<double>(phase & 0x3FFFFFFFu) * (half_pi / 1073741824.0);
    const double x = (quadrant & 1u) != 0 ? half_pi - f : f;
    const double x2 = x * x;
    const double s = x * (1.0 - x2 / 6.0 * (1.0 - x2 / 20.0 * (1.0 - x2 / 42.0 * (1.0 - x2 / 72.0))));
    return quadrant >= 2 ? -s : s;
}

// Phase step of a frequency in Hz (exact in binary for the tables below).
std::uint32_t phase_step(double hz) { return static_cast<std::uint32_t>(hz * (4294967296.0 / rate)); }

struct voice {
    double entry_share;  // entry time as a share of the length
    double left, right;  // channel gains
    double note_s;       // time between note starts
    double attack_s;     // linear rise
    double decay;        // envelope factor per sample after the rise
    double amp;
    int harmonics;  // partials 1 .. harmonics, amplitude 1/h each
    std::vector<double> notes_hz;
};

const std::vector<voice>& voices() {
    static const std::vector<voice> v = {
        {0.0, 0.75, 0.35, 0.25, 0.004, 0.99985, 5200.0, 4, {392.0, 440.0, 493.88, 523.25, 587.33, 523.25}},
        {0.2, 0.5, 0.5, 0.5, 0.01, 0.99995, 6500.0, 3, {98.0, 110.0, 82.41, 98.0}},
        {0.4, 0.3, 0.8, 1.0, 0.15, 0.999995, 3800.0, 6, {261.63, 329.63, 293.66}},
        {0.6, 0.8, 0.4, 0.1875, 0.02, 0.99993, 4200.0, 2, {783.99, 880.0, 698.46, 987.77, 880.0}},
    };
    return v;
}

}  // namespace

std::string golden_mix_wave(double seconds) {
    const int frames = static_cast<int>(seconds * rate);
    std::vector<double> left(frames, 0.0), right(frames, 0.0);
    for (const voice& v : voices()) {
        const int entry = static_cast<int>(v.entry_share * frames);
        const int note_len = static_cast<int>(v.note_s * rate);
        const int attack = static_cast<int>(v.attack_s * rate);
        std::uint32_t phase[8] = {};
        double env = 0.0;
        for (int f = entry; f < frames; ++f) {
            const int t = f - entry;
            const int note = t / note_len;
            const int in_note = t % note_len;
            if (in_note == 0) env = 0.0;
            env = in_note < attack ? static_cast<double>(in_note + 1) / attack : env * v.decay;
            const std::uint32_t step = phase_step(v.notes_hz[note % v.notes_hz.size()]);
            double s = 0.0;
            for (int h = 1; h <= v.harmonics; ++h) {
                s += poly_sin(phase[h - 1]) / h;
                phase[h - 1] += step * static_cast<std::uint32_t>(h);
            }
            s *= v.amp * env;
            left[f] += s * v.left;
            right[f] += s * v.right;
        }
    }
    std::string data;
    data.reserve(static_cast<std::size_t>(frames) * 4);
    for (int f = 0; f < frames; ++f) {
        put_le(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(left[f])), 2);
        put_le(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(right[f])), 2);
    }
    return stereo_wave(data);
}
