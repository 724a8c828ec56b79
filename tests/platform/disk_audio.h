// Helpers for tests that play through SDL's disk driver (SDL_AUDIODRIVER=disk is set for every
// test): the driver writes what the device plays to SDL_DISKAUDIOFILE at about real-time pace,
// with silence while the device idles.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/sound_out.h"

inline constexpr const char* disk_audio_file = "played.raw";  // in each test's own directory

inline void use_disk_audio_file() { setenv("SDL_DISKAUDIOFILE", disk_audio_file, 1); }

// 16-bit stereo frames of which none is silent, so the device's silence can be told from data.
inline std::string test_signal(std::int64_t frames, int seed = 0) {
    std::string out;
    for (std::int64_t i = 0; i < frames; ++i) {
        const int l = 1 + static_cast<int>((i * 7 + seed) % 30000);
        const int r = -1 - static_cast<int>((i * 13 + seed) % 20000);
        const char f[4] = {static_cast<char>(l & 0xff), static_cast<char>(l >> 8),
                           static_cast<char>(r & 0xff), static_cast<char>((r >> 8) & 0xff)};
        out.append(f, 4);
    }
    return out;
}

inline const std::uint8_t* bytes_of(const std::string& s) {
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

// Every frame that is not silence, in order.
inline std::string drop_silence(const std::string& s) {
    std::string out;
    for (std::size_t at = 0; at + 4 <= s.size(); at += 4) {
        if (s.compare(at, 4, std::string(4, '\0')) != 0) out.append(s, at, 4);
    }
    return out;
}

inline bool wait_done(sound_out& dev) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!dev.done() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return dev.done();
}
