// Little-endian field access on byte buffers: the WAVE header records and
// the stereo sample frames are byte arrays with no alignment guarantee.
#pragma once

#include <cstdint>
#include <cstring>

inline std::int16_t le_get_i16(const unsigned char* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

inline std::int32_t le_get_i32(const unsigned char* p) {
    const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                            (static_cast<std::uint32_t>(p[2]) << 16) |
                            (static_cast<std::uint32_t>(p[3]) << 24);
    return static_cast<std::int32_t>(v);
}

inline void le_put_i16(unsigned char* p, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    p[0] = static_cast<unsigned char>(u & 0xFF);
    p[1] = static_cast<unsigned char>(u >> 8);
}

// Stores the low 32 bits of v (two's complement), so a value computed in
// 64 bits lands in a 32-bit field the way the field would hold it.
inline void le_put_u32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v & 0xFF);
    p[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
    p[2] = static_cast<unsigned char>((v >> 16) & 0xFF);
    p[3] = static_cast<unsigned char>(v >> 24);
}

inline void le_put_i32(unsigned char* p, std::int32_t v) { le_put_u32(p, static_cast<std::uint32_t>(v)); }

// One sample of a stereo frame buffer (4 bytes a frame: left then right,
// signed 16-bit little-endian). ch 0 is the left channel, 1 the right.
// The caller keeps frame inside the buffer.
inline std::int16_t get_frame_sample(const unsigned char* buf, std::int64_t frame, int ch) {
    return le_get_i16(buf + 4 * frame + 2 * ch);
}

inline void put_frame_sample(unsigned char* buf, std::int64_t frame, int ch, std::int16_t v) {
    le_put_i16(buf + 4 * frame + 2 * ch, v);
}
