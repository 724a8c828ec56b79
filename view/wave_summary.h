// Minimum and maximum summaries of a buffer of stereo frames, so that a
// waveform column covering thousands of frames is reduced from a few dozen
// values instead of every sample.
//
// A summary keeps, per channel, the minimum and maximum of every block of
// 64 frames and of every block of 4096 frames. A range of frames is reduced
// from the samples of its ragged ends, the 64-frame blocks next to them and
// the 4096-frame blocks in between; minimum and maximum do not depend on
// the grouping, so the result is exactly that of reading every sample.
// Blocks are made 65536 frames at a time, when a range first needs them.
//
// A summary does not notice when its buffer is written. Every writer of a
// document's buffers (the extraction steps, the mix, centre cancel, restore)
// announces the change with note_wave_change, naming the buffers it wrote;
// each view's wave_summary_set then drops its summaries of those buffers
// before their next use. An extraction tick thus keeps the summaries of the
// original and the working copy, and a new mix keeps those of the parts.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class wave_summary {
   public:
    static constexpr int fine_len = 64;      // frames per fine block
    static constexpr int coarse_len = 4096;  // frames per coarse block (64 fine blocks)
    static constexpr int chunk_len = 65536;  // frames summarised at a time (16 coarse blocks)

    // From now on describes frames: cnt stereo frames of 4 bytes (left,
    // right, signed 16-bit little-endian). Nothing is summarised yet.
    void reset(const unsigned char* frames, std::int64_t cnt);
    // Forgets the buffer (and gives back the memory).
    void clear();
    bool describes(const unsigned char* frames, std::int64_t cnt) const {
        return frames_ == frames && cnt_ == cnt && frames != nullptr;
    }
    std::int64_t frame_count() const { return cnt_; }

    // lo = min(lo, every sample of channel c (0 left, 1 right) in frames
    // from .. from + n - 1), hi = max likewise. Requires 0 <= from and
    // from + n <= frame_count(); nothing happens for n <= 0.
    void fold(int c, std::int64_t from, std::int64_t n, int& lo, int& hi);

    // Chunks summarised so far (for tests and the benchmark).
    int chunks_built() const;

   private:
    void fold_samples(int c, std::int64_t a, std::int64_t b, int& lo, int& hi) const;
    void fold_blocks(const std::vector<std::int16_t>& mn, const std::vector<std::int16_t>& mx, std::int64_t a,
                     std::int64_t b, int& lo, int& hi) const;
    void build_chunks(std::int64_t a, std::int64_t b);
    void build_chunk(std::int64_t k);

    const unsigned char* frames_ = nullptr;
    std::int64_t cnt_ = 0;
    // Per channel: minima and maxima of the fine and the coarse blocks.
    std::vector<std::int16_t> fine_min_[2], fine_max_[2];
    std::vector<std::int16_t> coarse_min_[2], coarse_max_[2];
    std::vector<std::uint8_t> built_;  // per chunk: 1 once its blocks are made
};

// The buffers of a document a change may touch, as bits.
enum wave_kind : unsigned {
    wave_original = 1u,  // the original samples
    wave_copy = 2u,      // the working copy
    wave_parts = 4u,     // the part waveforms
    wave_all = 7u,
};

// Announces that some of a document's buffers (kinds, a set of wave_kind
// bits) may have changed; doc only serves as a key. Process-wide,
// user-interface thread.
void note_wave_change(const void* doc, unsigned kinds = wave_all);
// Changes of one kind (a single wave_kind bit) announced for doc so far, as
// a stamp that only grows.
std::uint64_t wave_change_stamp(const void* doc, wave_kind kind);

// The summaries one view keeps of its document: the original, the working
// copy and each part's waveform. Each is handed out for a buffer and frame
// count; a different buffer or count starts it afresh, and an announced
// change of the document starts all of them afresh.
class wave_summary_set {
   public:
    static constexpr int part_slots = 256;

    explicit wave_summary_set(const void* doc) : doc_(doc) {}

    // Null when there is no buffer.
    wave_summary* original(const unsigned char* frames, std::int64_t cnt) { return get(orgn_, frames, cnt); }
    wave_summary* copy(const unsigned char* frames, std::int64_t cnt) { return get(copy_, frames, cnt); }
    wave_summary* part(int k, const unsigned char* frames, std::int64_t cnt);

   private:
    wave_summary* get(wave_summary& s, const unsigned char* frames, std::int64_t cnt);
    void follow_changes();

    const void* doc_;
    std::uint64_t stamp_[3] = {0, 0, 0};  // last stamps seen: original, copy, parts
    wave_summary orgn_;
    wave_summary copy_;
    std::unique_ptr<wave_summary> parts_[part_slots];
};
