// The recording view's extraction control and playback, joined to the
// window: the menu commands 32771, 32772, 32774 and 32775, the play-button
// clicks, the timer tick (extraction step, then playback step), the
// progress bar, and the SDL2 sound output on the system's default device.
//
// CTonewarpView owns one view_control and forwards to it; everything that
// decides lives in the toolkit-free extr_control and view_playback, and this
// class only draws, shows messages and sets menu texts for them.
#pragma once

#include <memory>

#include "platform/sound_out.h"
#include "view/draw_ops.h"
#include "view/extr_control.h"
#include "view/playback.h"

class CTonewarpView;

class view_control final : public extr_host, public play_surface {
   public:
    explicit view_control(CTonewarpView& view);
    ~view_control() override;
    view_control(const view_control&) = delete;
    view_control& operator=(const view_control&) = delete;

    // First paint: device enumeration into the log, the output opened on
    // device 0 with the document's format. Returns the open's result.
    int open_output();
    // View destruction: what plays stops and the device is closed.
    void close_output();

    // Menu commands of the view; false for a command that is not one of them.
    bool on_command(int id);
    // A left click at (x, y) in the view: true when it hit a play button.
    bool play_click(int x, int y);
    // Timer 1.
    void timer_tick() { ctl_.on_timer(); }
    // The progress bar of a full repaint while a run is in progress.
    void draw_progress(draw_ctx* dc);

    extr_control& extr() { return ctl_; }
    view_playback& playback() { return pb_; }

    // extr_host
    void show_message(const char* text) override;
    void set_item_text(extr_item item, const char* text) override;
    void hide_start_scroll() override;
    bool timer_active() override;
    void stop_timer() override;
    void start_timer() override;
    void repaint_progress() override;
    void redraw_values() override;
    void redraw_frame_and_values() override;
    void part_list_reset() override;
    void end_of_run_layout() override;
    void playback_step() override;

    // play_surface
    void draw_play_btn() override;
    void put_pos_text(int col, int row, const char* text) override;
    void put_pos_time(int col, int row, std::int64_t frame) override;

   private:
    play_source source();
    play_geom geom();
    // The buttons' flags the frame paints, from playback's state.
    void sync_play_btns();

    CTonewarpView& v_;
    view_playback pb_;
    extr_control ctl_;
};
