// Playback of the working copy over the extraction range, without a toolkit.
//
// The view owns one view_playback. It opens the sound output at the first
// paint, forwards every left click (the play buttons take the ones that hit
// them) and runs timer_step() at every 100 ms tick after the extraction step.
// Playback shows itself through play_surface: the view repaints the four
// buttons from btn_looks() and writes the position label.
//
// A range longer than one piece (62000000 bytes) is played piece after piece
// through the one queued buffer, the next piece queued by the first tick
// that finds the previous one done. Positions and times assume 44100 frames
// per second and 4 bytes per frame, whatever the document's format says.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/sound_out.h"

inline constexpr std::int64_t play_piece_size = 62000000;

// The position label: "演奏位置=" and a time, or 17 blanks, in the header's right-hand field.
inline constexpr const char* play_pos_title = "演奏位置=";
inline constexpr const char* play_pos_blank = "                 ";

struct play_rect {
    // Pixel edges; a click hits from left and top up to, not including, right and bottom.
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct play_rgb {
    int r = 0, g = 0, b = 0;
};

// What the view tells playback at each call. The range is the view's current
// extraction range; playback clamps it to the working copy again.
struct play_source {
    const std::uint8_t* mdfy_dt = nullptr;  // the document's working copy, 4-byte frames
    std::int64_t data_cnt = 0;              // frames in the working copy
    std::int64_t rng_stt = 0;               // first frame of the range
    std::int64_t rng_len = 0;               // frames in the range
};

struct play_geom {
    int cw = 8;          // character cell width, pixels
    int ch = 18;         // character cell height, pixels
    int win_w = 0;       // client width W, pixels
    int copy_width = 0;  // width of the copy ruler-and-panes rectangle, pixels
};

// How the view shows playback. Text goes black on light grey at a cell.
class play_surface {
   public:
    virtual ~play_surface() = default;
    virtual void draw_play_btn() = 0;  // repaint the four buttons from btn_looks()
    virtual void put_pos_text(int col, int row, const char* text) = 0;
    // The time label of `frame` at 44100 frames per second.
    virtual void put_pos_time(int col, int row, std::int64_t frame) = 0;
};

// One button as drawn: a style-2 box over `rect` with `fill`, `light` along
// the top and left, `dark` along the bottom and right, and the label black on
// the fill at cell (col, row).
struct play_btn_look {
    play_rect rect;
    bool pressed = false;
    play_rgb fill, light, dark;
    const char* label = "";
    int col = 0, row = 0;
};

enum play_btn_id { play_btn_play = 0, play_btn_from_top = 1, play_btn_stop = 2, play_btn_pause = 3 };

// Rectangle of button `id` (0 … 3) on the control line for a cell of cw × ch.
play_rect play_btn_rect(int id, int cw, int ch);

// The pieces of a range of `total` bytes: how many, and the byte length of
// piece `k` (0-based). Every piece but the last is `piece` bytes long.
std::int64_t play_piece_count(std::int64_t total, std::int64_t piece);
std::int64_t play_piece_length(std::int64_t total, std::int64_t piece, std::int64_t k);

class view_playback {
   public:
    // `piece_size` is in bytes, rounded down to whole frames, at least one frame.
    explicit view_playback(std::int64_t piece_size = play_piece_size);
    ~view_playback();
    view_playback(const view_playback&) = delete;
    view_playback& operator=(const view_playback&) = delete;

    // Enumerates the devices into the diagnostic log (when tracing), fills
    // the output format from the document's format chunk body (at least 16
    // bytes) and opens device 0. Returns the open's result; on failure the
    // output is replaced by the silent stand-in, so the view stays silent.
    int open_output(std::unique_ptr<sound_out> dev, const std::uint8_t* wv_fmt_dt);

    // Stops what plays and closes the output (view destruction).
    void close_output();

    // A left click at (x, y). Returns true when it hit one of the buttons.
    bool btn_click(int x, int y, const play_source& src, const play_geom& geom, play_surface& surf);

    // The playback part of the timer tick.
    void timer_step(const play_source& src, const play_geom& geom, play_surface& surf);

    std::array<play_btn_look, 4> btn_looks(int cw, int ch) const;

    // State, as the view and tests see it.
    int play_flg() const { return play_flg_; }    // 1 playing, 2 not
    int play_mode() const { return play_mode_; }  // 1 started with "→", 2 with ">>", 0 never started
    int pause_flg() const { return pause_flg_; }  // 1 paused, 2 not
    int btn_redraw_flg() const { return btn_redraw_flg_; }  // 1 buttons to repaint at the next tick
    int piece_cnt() const { return piece_cnt_; }
    int piece_wrt_cnt() const { return piece_wrt_cnt_; }
    std::int64_t play_pos() const { return play_pos_; }  // frame shown by the last tick
    std::int64_t piece_size() const { return piece_size_; }
    sound_out* output() const { return wv_out_.get(); }

   private:
    void start(const play_source& src, play_surface& surf);
    bool queue_piece(const play_source& src);
    void stop_device();
    std::int64_t device_frames();

    std::int64_t piece_size_;
    std::unique_ptr<sound_out> wv_out_;

    int play_flg_ = 2;
    int play_mode_ = 0;
    int pause_flg_ = 2;
    int btn_redraw_flg_ = 2;
    int piece_cnt_ = 0;
    int piece_wrt_cnt_ = 0;
    std::int64_t play_pos_ = 0;

    // The range as it was when playing started: later pieces and the position
    // label use it even when the marks move while playing.
    std::int64_t play_stt_ = 0;    // first frame
    std::int64_t play_total_ = 0;  // bytes
};
