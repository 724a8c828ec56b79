// A recording opened for reading through libsndfile: FLAC, Ogg, MP3, AIFF,
// WAVE of any sample type and the other formats the library knows. Only the
// command-line tool links libsndfile.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>

class sound_file {
   public:
    sound_file() = default;
    ~sound_file();
    sound_file(const sound_file&) = delete;
    sound_file& operator=(const sound_file&) = delete;

    // Opens path; false when libsndfile does not read it (why() says why).
    bool open(const std::string& path);
    bool is_open() const { return file_ != nullptr; }
    std::string why() const { return why_; }

    int channels() const { return info_.channels; }
    int rate() const { return info_.samplerate; }
    std::int64_t frames() const { return info_.frames; }
    // The container and the sample encoding as libsndfile names them,
    // e.g. "FLAC (FLAC Lossless Audio Codec)" and "Signed 24 bit PCM".
    std::string format_name() const;
    std::string encoding_name() const;

    // Reads up to n frames of channels() interleaved samples, normalised to
    // full scale 1.0. The count read; fewer at the end or on an error.
    std::int64_t read(double* buf, std::int64_t n);
    // After a short read: libsndfile's complaint, or empty at a clean end.
    std::string read_error() const;

   private:
    SNDFILE* file_ = nullptr;
    SF_INFO info_{};
    std::string why_;
};
