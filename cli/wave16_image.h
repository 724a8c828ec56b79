// The 16-bit stereo WAVE file a decoded recording converts to, delivered as
// a byte stream to the document's own WAVE reader. The document is then by
// construction what reading that file would have given, and `convert`
// saves exactly it. The frames are decoded piece by piece as the reader
// asks for them, straight into its sample buffer: the file is never held.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/pcm16_rule.h"
#include "cli/sound_file.h"
#include "document/byte_stream.h"

inline constexpr int wave16_header_len = 44;
// The data length 4 * frames and the RIFF size 36 + data length must fit
// their signed 32-bit fields.
inline constexpr std::int64_t wave16_max_frames = (INT32_MAX - 36) / 4;

// The header: "RIFF", 36 + D, "WAVE", "fmt " of 16 bytes (PCM, 2 channels,
// rate, 4 * rate bytes a second, 4 bytes a frame, 16 bits), "data", D = 4 * frames.
std::array<unsigned char, wave16_header_len> wave16_header(std::int32_t rate, std::int64_t frames);

// Why src cannot become such a file (more than two channels, too long, a
// rate whose byte rate does not fit), or an empty string.
std::string wave16_refusal(const sound_file& src);

class wave16_image_stream final : public byte_istream {
   public:
    // src must pass wave16_refusal. Mono frames get the sample on both channels.
    explicit wave16_image_stream(sound_file& src);
    std::int64_t read(void* buf, std::int64_t n) override;

    // Source samples held at -32768 or 32767 (or not a number) so far.
    std::int64_t held() const { return rule_.held; }
    // Set when the decoder failed before the frames its header announced
    // were all read (those missing stay silent); empty otherwise. A source
    // that simply ends early is padded with silence like a short WAVE file.
    const std::string& decode_error() const { return decode_error_; }
    std::int64_t frames_decoded() const { return decoded_; }

   private:
    // Decodes the next piece of frames into piece_ (silence once the source ended).
    void next_piece();

    sound_file& src_;
    std::array<unsigned char, wave16_header_len> header_;
    std::int64_t frames_;     // frames the header announces
    std::int64_t pos_ = 0;    // bytes delivered
    std::int64_t made_ = 0;   // frames put into pieces so far
    std::int64_t decoded_ = 0;
    bool src_ended_ = false;
    std::vector<double> in_;
    std::vector<unsigned char> piece_;
    std::size_t piece_pos_ = 0;
    pcm16_rule rule_;
    std::string decode_error_;
};
