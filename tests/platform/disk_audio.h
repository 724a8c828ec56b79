// Helpers for tests that play through SDL's disk driver (SDL_AUDIODRIVER=disk,
// set for every test): the driver writes what the device plays, in the opened
// format, to SDL_DISKAUDIOFILE at about real-time pace, with silence while
// the device idles.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound_out.h"

inline constexpr const char* disk_audio_file = "played.raw";

// Points the disk driver at disk_audio_file in the current directory (each
// test runs in its own); takes effect at the next open.
inline void use_disk_audio_file() { setenv("SDL_DISKAUDIOFILE", disk_audio_file, 1); }

// 16-bit stereo frames in which no frame is silent (both samples are never
// 0 together), so silence added by the device can be told from the data.
inline std::vector<std::uint8_t> test_signal(std::int64_t frames, int seed = 0) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(frames * 4));
    for (std::int64_t i = 0; i < frames; ++i) {
        const auto l = static_cast<std::int16_t>(1 + (i * 7 + seed) % 30000);
        const auto r = static_cast<std::int16_t>(-1 - (i * 13 + seed) % 20000);
        std::uint8_t* f = &out[static_cast<std::size_t>(i * 4)];
        f[0] = static_cast<std::uint8_t>(l & 0xff);
        f[1] = static_cast<std::uint8_t>((l >> 8) & 0xff);
        f[2] = static_cast<std::uint8_t>(r & 0xff);
        f[3] = static_cast<std::uint8_t>((r >> 8) & 0xff);
    }
    return out;
}

inline bool silent_frame(const std::string& s, std::size_t at) {
    return s[at] == 0 && s[at + 1] == 0 && s[at + 2] == 0 && s[at + 3] == 0;
}

// The bytes between the leading and the trailing silence.
inline std::string trim_silence(const std::string& s) {
    std::size_t b = 0, e = s.size() - s.size() % 4;
    while (b < e && silent_frame(s, b)) b += 4;
    while (e > b && silent_frame(s, e - 4)) e -= 4;
    return s.substr(b, e - b);
}

// Every frame that is not silence, in order.
inline std::string drop_silence(const std::string& s) {
    std::string out;
    for (std::size_t at = 0; at + 4 <= s.size(); at += 4) {
        if (!silent_frame(s, at)) out.append(s, at, 4);
    }
    return out;
}

inline std::string as_string(const std::uint8_t* p, std::size_t n) {
    return std::string(reinterpret_cast<const char*>(p), n);
}

// Polls done() every 5 ms; false after `limit`.
inline bool wait_done(sound_out& dev, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!dev.done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
