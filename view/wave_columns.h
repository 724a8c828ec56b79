// Waveform column rules: which frames each pixel column of a pane shows and
// which line it draws, at any zoom. One line per column whatever the zoom:
// with more than one frame per pixel the column's frames are reduced to
// their minimum and maximum. Pure; the painter draws the lines it is given.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "document/le_bytes.h"
#include "document/tonewarp_doc.h"
#include "view/layout.h"
#include "view/wave_summary.h"

// A run of consecutive frames of one channel inside a buffer of stereo
// frames (4 bytes: left, right, signed 16-bit little-endian): sample j is
// the two bytes at p + 4 * j, n samples (0 = none). When the buffer has a
// summary, sum describes it and the run starts at its frame pos.
struct wave_run {
    const unsigned char* p = nullptr;
    std::int64_t n = 0;
    wave_summary* sum = nullptr;
    std::int64_t pos = 0;
    int chnl = 0;
    int at(std::int64_t j) const { return le_get_i16(p + 4 * j); }
    // lo = min(lo, samples 0 .. cnt - 1), hi = max likewise (cnt <= n),
    // through the summary when there is one.
    void fold(std::int64_t cnt, int& lo, int& hi) const;
};

// Where a pane's samples come from.
class wave_source {
   public:
    virtual ~wave_source() = default;
    // The run of frames that starts at frame idx of the recording; n = 0
    // when nothing covers idx.
    virtual wave_run run_at(std::int64_t idx) const = 0;
    // Parts show an empty column where nothing covers a frame and start a
    // column's minimum and maximum afresh; the original and the copy carry
    // the last sample of one column into the next.
    virtual bool is_part() const = 0;
    // Called before a pane asks run_at for frames first .. last (in
    // ascending order); a source may index itself for that range.
    virtual void prepare(std::int64_t first, std::int64_t last) const {
        (void)first;
        (void)last;
    }
    // A column soon to come starts at frame idx: a source may have the
    // samples around it brought into the cache meanwhile.
    virtual void prefetch(std::int64_t idx) const { (void)idx; }
};

// One channel (0 left, 1 right) of a recording buffer of data_cnt frames;
// sum, when given, summarises those data_cnt frames of the buffer.
class buffer_wave_source : public wave_source {
   public:
    buffer_wave_source(const unsigned char* frames, std::int64_t data_cnt, int chnl,
                       wave_summary* sum = nullptr)
        : frames_(frames), data_cnt_(data_cnt), chnl_(chnl), sum_(sum) {}
    wave_run run_at(std::int64_t idx) const override;
    bool is_part() const override { return false; }
    void prefetch(std::int64_t idx) const override;

   private:
    const unsigned char* frames_;
    std::int64_t data_cnt_;
    int chnl_;
    wave_summary* sum_;
};

// One channel of a part, looked up through its info records: the first
// record whose start <= idx <= start + length supplies the sample at its
// buffer offset + (idx - start). Reads never leave the part's buffer of
// cap_frames frames; sum, when given, summarises those cap_frames frames.
//
// prepare indexes the records for a range of frames: the range is cut into
// stretches over which the first covering record stays the same, so that a
// lookup is a binary search instead of a walk through up to 8192 records.
class part_wave_source : public wave_source {
   public:
    part_wave_source(const msc_prt_inf_t* records, int rec_cnt, const unsigned char* frames,
                     std::int64_t cap_frames, int chnl, wave_summary* sum = nullptr)
        : rec_(records), rec_cnt_(rec_cnt), frames_(frames), cap_(cap_frames), chnl_(chnl), sum_(sum) {}
    wave_run run_at(std::int64_t idx) const override;
    bool is_part() const override { return true; }
    void prepare(std::int64_t first, std::int64_t last) const override;
    void prefetch(std::int64_t idx) const override;

   private:
    // Frames start .. end (inclusive) that record r covers on this channel.
    void span(int r, std::int64_t& start, std::int64_t& end) const;
    // The run record r gives for frame idx, which it covers.
    wave_run run_of(int r, std::int64_t idx) const;
    // The first record covering idx, or -1. Inside the prepared range the
    // search walks on from cursor, the stretch of the last answer.
    int first_cover(std::int64_t idx, std::size_t& cursor) const;

    const msc_prt_inf_t* rec_;
    int rec_cnt_;
    const unsigned char* frames_;
    std::int64_t cap_;
    int chnl_;
    wave_summary* sum_;

    // The index of prepare: from stretch_[k].first on (up to the next
    // stretch) the first covering record is stretch_[k].rec (-1: none).
    struct stretch {
        std::int64_t first;
        int rec;
    };
    mutable std::vector<stretch> stretch_;
    mutable std::int64_t idx_first_ = 0;
    mutable std::int64_t idx_last_ = -1;  // empty: no index
    // Columns ask in ascending order, and so do the prefetches ahead of them.
    mutable std::size_t run_cursor_ = 0;
    mutable std::size_t prefetch_cursor_ = 0;
};

// Pixel row of sample value v in a pane: mid - trunc(amp * v / 32768),
// kept within top .. bottom.
int wave_y(const view_rect& pane, int v);

// Frame shown by column i of a pane.
inline std::int64_t column_frame(std::int64_t draw_stt, double smpl_per_pix, int i) {
    return draw_stt + static_cast<std::int64_t>(smpl_per_pix * i);
}

using wave_line_fn = std::function<void(int x1, int y1, int x2, int y2)>;

// Emits the waveform lines of one pane. Columns i = 1, 2, ... while
// i < width - 2; stops at the first column whose frame is negative or not
// below data_cnt. Returns the number of columns painted or left empty.
int plan_wave_pane(const view_rect& pane, const wave_source& src, std::int64_t draw_stt,
                   std::int64_t data_cnt, double smpl_per_pix, const wave_line_fn& line);
