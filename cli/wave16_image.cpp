#include "cli/wave16_image.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "document/le_bytes.h"

namespace {

constexpr std::int64_t piece_frames = 8192;

}  // namespace

std::array<unsigned char, wave16_header_len> wave16_header(std::int32_t rate, std::int64_t frames) {
    std::array<unsigned char, wave16_header_len> h{};
    const auto data_len = static_cast<std::uint32_t>(4 * frames);
    unsigned char* p = h.data();
    std::memcpy(p + 0, "RIFF", 4);
    le_put_u32(p + 4, 36u + data_len);
    std::memcpy(p + 8, "WAVE", 4);
    std::memcpy(p + 12, "fmt ", 4);
    le_put_u32(p + 16, 16);
    le_put_i16(p + 20, 1);  // PCM
    le_put_i16(p + 22, 2);  // stereo
    le_put_u32(p + 24, static_cast<std::uint32_t>(rate));
    le_put_u32(p + 28, static_cast<std::uint32_t>(rate) * 4u);
    le_put_i16(p + 32, 4);   // bytes a frame
    le_put_i16(p + 34, 16);  // bits a sample
    std::memcpy(p + 36, "data", 4);
    le_put_u32(p + 40, data_len);
    return h;
}

std::string wave16_refusal(const sound_file& src) {
    if (src.channels() > 2) return std::to_string(src.channels()) + " channels: only mono and stereo are read";
    if (src.channels() < 1) return "no channels";
    if (src.frames() < 0 || src.frames() > wave16_max_frames)
        return "too long: " + std::to_string(src.frames()) + " frames, at most " +
               std::to_string(wave16_max_frames) + " are read";
    if (src.rate() <= 0 || src.rate() > INT32_MAX / 4) return "a sample rate of " + std::to_string(src.rate());
    return {};
}

wave16_image_stream::wave16_image_stream(sound_file& src)
    : src_(src), header_(wave16_header(src.rate(), src.frames())), frames_(src.frames()) {
    in_.resize(static_cast<std::size_t>(piece_frames * src.channels()));
    piece_.reserve(static_cast<std::size_t>(4 * piece_frames));
}

void wave16_image_stream::next_piece() {
    const std::int64_t want = std::min(piece_frames, frames_ - made_);
    piece_.assign(static_cast<std::size_t>(4 * want), 0);
    piece_pos_ = 0;
    made_ += want;
    if (src_ended_ || want <= 0) return;
    const std::int64_t got = src_.read(in_.data(), want);
    const bool mono = src_.channels() == 1;
    for (std::int64_t f = 0; f < got; ++f) {
        const double* s = in_.data() + (mono ? f : 2 * f);
        const std::int16_t l = rule_(s[0]);
        const std::int16_t r = mono ? l : rule_(s[1]);
        put_frame_sample(piece_.data(), f, 0, l);
        put_frame_sample(piece_.data(), f, 1, r);
    }
    decoded_ += got > 0 ? got : 0;
    if (got < want) {
        src_ended_ = true;
        decode_error_ = src_.read_error();
    }
}

std::int64_t wave16_image_stream::read(void* buf, std::int64_t n) {
    auto* out = static_cast<unsigned char*>(buf);
    const std::int64_t total = wave16_header_len + 4 * frames_;
    std::int64_t done = 0;
    while (done < n && pos_ < total) {
        std::int64_t take = 0;
        if (pos_ < wave16_header_len) {
            take = std::min(n - done, wave16_header_len - pos_);
            std::memcpy(out + done, header_.data() + pos_, static_cast<std::size_t>(take));
        } else {
            if (piece_pos_ == piece_.size()) next_piece();
            if (piece_.empty()) break;  // cannot happen while pos_ < total; never spin
            take = std::min(n - done, static_cast<std::int64_t>(piece_.size() - piece_pos_));
            std::memcpy(out + done, piece_.data() + piece_pos_, static_cast<std::size_t>(take));
            piece_pos_ += static_cast<std::size_t>(take);
        }
        pos_ += take;
        done += take;
    }
    return done;
}
