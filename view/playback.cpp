#include "view/playback.h"

#include <algorithm>

namespace {

constexpr std::int64_t frame_bytes = 4;  // 16-bit stereo, as the view reckons positions

constexpr play_rgb rgb_green{0, 255, 0};
constexpr play_rgb rgb_light_grey{191, 191, 191};
constexpr play_rgb rgb_dark_grey{111, 111, 111};
constexpr play_rgb rgb_white{255, 255, 255};

constexpr const char* btn_labels[4] = {"→", ">>", "□", "||"};

// Cells of the position label: "演奏位置=" and, nine cells to the right, the time.
struct pos_cells {
    int title_col, time_col, row;
};

// A cell of 0 pixels falls back to the view's 8 x 18.
int cell_w(int cw) { return cw > 0 ? cw : 8; }
int cell_h(int ch) { return ch > 0 ? ch : 18; }

pos_cells pos_label_cells(const play_geom& g) {
    const int cw = cell_w(g.cw);
    const int ch = cell_h(g.ch);
    const int hw = cw / 2;
    const int hh = ch / 2;
    return {(g.win_w - hw - 40 * cw - hw + 1) / cw, (g.win_w - hw - 31 * cw - hw + 1) / cw,
            (2 * hh + 1) / ch};
}

// The label field exists only when the copy is wider than 100 cells.
bool pos_label_fits(const play_geom& g) { return g.copy_width > 100 * cell_w(g.cw); }

void clear_pos_label(const play_geom& g, play_surface& surf) {
    if (!pos_label_fits(g)) return;
    const pos_cells c = pos_label_cells(g);
    surf.put_pos_text(c.title_col, c.row, play_pos_blank);
}

// The range clamped to the frames the working copy holds; length 0 when
// there is nothing to play.
void clamp_range(const play_source& s, std::int64_t& stt, std::int64_t& len) {
    stt = 0;
    len = 0;
    if (s.mdfy_dt == nullptr || s.data_cnt <= 0 || s.rng_len <= 0) return;
    const std::int64_t last = s.data_cnt - 1;
    const std::int64_t end = std::clamp(s.rng_stt + s.rng_len - 1, std::int64_t{0}, last);
    stt = std::clamp(s.rng_stt, std::int64_t{0}, last);
    len = std::max<std::int64_t>(0, end - stt + 1);
}

}  // namespace

play_rect play_btn_rect(int id, int cw, int ch) {
    cw = cell_w(cw);
    ch = cell_h(ch);
    const int hh = ch / 2;
    const int left_cells = 2 + 3 * id;  // buttons at cells 2, 5, 8 and 11, two cells wide
    return {left_cells * cw - 3, 2 * hh + 12 * ch - 3, (left_cells + 2) * cw + 3, 2 * hh + 13 * ch + 3};
}

std::int64_t play_piece_count(std::int64_t total, std::int64_t piece) {
    if (total <= 0) return 0;
    if (total <= piece) return 1;
    return (total - 1) / piece + 1;
}

std::int64_t play_piece_length(std::int64_t total, std::int64_t piece, std::int64_t k) {
    const std::int64_t n = play_piece_count(total, piece);
    if (k < 0 || k >= n) return 0;
    return k + 1 < n ? piece : total - piece * k;
}

view_playback::view_playback(std::int64_t piece_size)
    : piece_size_(std::max(frame_bytes, piece_size - piece_size % frame_bytes)),
      wv_out_(make_null_sound_out()) {}

view_playback::~view_playback() { close_output(); }

void view_playback::close_output() {
    wv_out_->reset();
    wv_out_->close();
    wv_out_ = make_null_sound_out();  // a closed view stays silent, never reaches a closed device
    play_flg_ = 2;
    pause_flg_ = 2;
}

std::int64_t view_playback::device_frames() {
    sound_pos p;
    if (wv_out_->position(p) != snd_ok) return 0;
    switch (p.unit) {
        case sound_pos::samples:
            return p.value;
        case sound_pos::bytes:
            return p.value / frame_bytes;
        case sound_pos::millis:
            return static_cast<std::int64_t>(static_cast<double>(p.value) * 44.1);
    }
    return 0;
}

void view_playback::stop_device() { wv_out_->reset(); }

// Queues piece number piece_wrt_cnt_ of the range taken at the start. The
// working copy is looked up afresh, and a piece never reaches past its end.
bool view_playback::queue_piece(const play_source& src) {
    const std::int64_t offset = play_stt_ * frame_bytes + piece_size_ * piece_wrt_cnt_;
    std::int64_t len = play_piece_length(play_total_, piece_size_, piece_wrt_cnt_);
    const std::int64_t avail = src.mdfy_dt == nullptr ? 0 : src.data_cnt * frame_bytes - offset;
    len = std::min(len, avail);
    if (len <= 0) return false;
    wv_out_->write(src.mdfy_dt + offset, len);
    ++piece_wrt_cnt_;
    return true;
}

void view_playback::start(const play_source& src, play_surface& surf) {
    std::int64_t len = 0;
    clamp_range(src, play_stt_, len);
    play_total_ = len * frame_bytes;
    piece_cnt_ = static_cast<int>(play_piece_count(play_total_, piece_size_));
    piece_wrt_cnt_ = 0;
    // An empty range (or no working copy) has nothing to play: stay stopped.
    play_flg_ = queue_piece(src) ? 1 : 2;
    pause_flg_ = 2;
    surf.draw_play_btn();
}

bool view_playback::btn_click(int x, int y, const play_source& src, const play_geom& geom,
                              play_surface& surf) {
    int hit = -1;
    for (int i = 0; i < 4 && hit < 0; ++i) {
        const play_rect r = play_btn_rect(i, geom.cw, geom.ch);
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) hit = i;
    }
    switch (hit) {
        case play_btn_play:
            if (play_flg_ == 1) break;
            play_mode_ = 1;
            if (pause_flg_ == 1) {
                // Continue where it paused; the buttons follow at the next tick.
                btn_redraw_flg_ = 1;
                wv_out_->restart();
                play_flg_ = 1;
                pause_flg_ = 2;
                break;
            }
            start(src, surf);
            break;
        case play_btn_from_top:
            if (play_flg_ == 1) break;
            if (pause_flg_ == 1) stop_device();
            play_mode_ = 2;
            start(src, surf);
            break;
        case play_btn_stop:
            clear_pos_label(geom, surf);
            if (play_flg_ == 1 || pause_flg_ == 1) stop_device();
            play_flg_ = 2;
            pause_flg_ = 2;
            btn_redraw_flg_ = 1;  // the stop button shows pressed until the next tick
            surf.draw_play_btn();
            break;
        case play_btn_pause:
            if (play_flg_ == 1) {
                play_pos_ = play_stt_ + device_frames();
                wv_out_->pause();
                play_flg_ = 2;
                pause_flg_ = 1;
            }
            surf.draw_play_btn();
            break;
        default:
            return false;
    }
    return true;
}

void view_playback::timer_step(const play_source& src, const play_geom& geom, play_surface& surf) {
    if (play_flg_ == 1) {
        play_pos_ = play_stt_ + device_frames();
        if (pos_label_fits(geom)) {
            const pos_cells c = pos_label_cells(geom);
            surf.put_pos_text(c.title_col, c.row, play_pos_title);
            surf.put_pos_time(c.time_col, c.row, play_pos_);
        }
    }
    if (play_flg_ == 1 && wv_out_->done()) {
        pause_flg_ = 2;
        if (piece_wrt_cnt_ < piece_cnt_ && queue_piece(src)) {
            play_flg_ = 1;
        } else {
            // All pieces played (or the working copy no longer holds the rest).
            play_flg_ = 2;
            stop_device();
            clear_pos_label(geom, surf);
            surf.draw_play_btn();
        }
    }
    if (btn_redraw_flg_ == 1) {
        btn_redraw_flg_ = 2;
        surf.draw_play_btn();
    }
}

std::array<play_btn_look, 4> view_playback::btn_looks(int cw, int ch) const {
    const bool pressed[4] = {play_flg_ == 1 && play_mode_ == 1, play_flg_ == 1 && play_mode_ == 2,
                             btn_redraw_flg_ == 1, pause_flg_ == 1};
    std::array<play_btn_look, 4> looks;
    for (int i = 0; i < 4; ++i) {
        play_btn_look& b = looks[static_cast<std::size_t>(i)];
        b.rect = play_btn_rect(i, cw, ch);
        b.pressed = pressed[i];
        b.fill = pressed[i] ? rgb_green : rgb_light_grey;
        b.light = pressed[i] ? rgb_dark_grey : rgb_white;
        b.dark = pressed[i] ? rgb_white : rgb_dark_grey;
        b.label = btn_labels[i];
        b.col = (b.rect.left + 4) / cell_w(cw);
        b.row = (b.rect.top + 4) / cell_h(ch);
    }
    return looks;
}
