// WAVE files built byte by byte for tests, and fields read back out of bytes.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

struct wave_spec {
    std::int32_t fmt_len = 16;
    std::int16_t channels = 2;
    std::int32_t rate = 44100;
    std::int16_t bits = 16;
    std::string fmt_tail;                  // format body bytes after the first 16
    std::string extra_chunk;               // placed between the format and data chunks
    std::string data;                      // sample bytes
    std::optional<std::int64_t> data_len;  // the data header's length; none: data.size()
};

inline void put_le(std::string& s, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Signed little-endian field of 2 or 4 bytes.
inline std::int64_t get_le(const std::string& s, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + i])) << (8 * i);
    return bytes == 2 ? static_cast<std::int16_t>(v) : static_cast<std::int32_t>(v);
}

inline std::string make_wave_bytes(const wave_spec& w) {
    std::string fmt;
    const int block = w.channels * w.bits / 8;
    put_le(fmt, 1, 2);  // PCM
    put_le(fmt, static_cast<std::uint16_t>(w.channels), 2);
    put_le(fmt, static_cast<std::uint32_t>(w.rate), 4);
    put_le(fmt, static_cast<std::uint32_t>(w.rate * block), 4);
    put_le(fmt, static_cast<std::uint16_t>(block), 2);
    put_le(fmt, static_cast<std::uint16_t>(w.bits), 2);
    fmt += w.fmt_tail;
    fmt.resize(w.fmt_len > 0 ? static_cast<std::size_t>(w.fmt_len) : 0, '\0');
    std::string rest = "WAVEfmt ";
    put_le(rest, static_cast<std::uint32_t>(w.fmt_len), 4);
    rest += fmt + w.extra_chunk + "data";
    put_le(rest, static_cast<std::uint32_t>(w.data_len.value_or(static_cast<std::int64_t>(w.data.size()))),
           4);
    std::string out = "RIFF";
    put_le(out, rest.size() + w.data.size(), 4);
    return out + rest + w.data;
}

inline std::string stereo_wave(const std::string& data) {
    wave_spec w;
    w.data = data;
    return make_wave_bytes(w);
}

// 16-bit samples as bytes.
inline std::string sample_bytes(std::initializer_list<int> samples) {
    std::string s;
    for (int v : samples) put_le(s, static_cast<std::uint16_t>(v), 2);
    return s;
}

// n pseudo-random 16-bit samples over the full range.
inline std::string pattern_samples(int n, std::uint32_t x = 1) {
    std::string s;
    for (int i = 0; i < n; ++i) put_le(s, (x = x * 1664525u + 1013904223u) >> 16, 2);
    return s;
}

// False when sox is missing or fails.
inline bool run_sox(const std::string& args) {
    return std::system(("sox " + args + " >/dev/null 2>&1").c_str()) == 0;
}
