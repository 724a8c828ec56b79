// CTonewarpView: the window of one opened recording.
//
// The view owns a backing image and draws into it at once through a
// draw_ctx (its device context); the window only shows the image. It also
// owns its display state, its extraction state, the two scroll bars (part
// list, id 111, vertical; drawing start, id 112, horizontal; both 0 .. 10000),
// the sound output and timer 1. The first paint initialises it; later full
// repaints (resizing, explicit requests) repaint the frame and all values.
#pragma once

#include <QImage>
#include <QScrollBar>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/gui/active_view.h"
#include "app/gui/command_target.h"
#include "engine/extr_state.h"
#include "platform/sound_out.h"
#include "view/draw_ops.h"
#include "view/freq_plan.h"
#include "view/input_rules.h"
#include "view/key_sequences.h"
#include "view/layout.h"
#include "view/paint_scene.h"
#include "view/part_icons.h"
#include "view/play_btn.h"
#include "view/view_state.h"

class CTonewarpDoc;
class view_control;
class wave_summary_set;

inline constexpr int part_scroll_id = 111;   // part-list scroll bar
inline constexpr int start_scroll_id = 112;  // drawing-start scroll bar
inline constexpr int scroll_range_max = 10000;
inline constexpr int timer1_ms = 100;

// Shown when a full repaint finds the document marked as a bad file.
inline constexpr const char* bad_file_message = "読み込んだファイルが不正です!!　　";

// A child scroll bar with its shown/hidden state (1 shown, 2 hidden) and
// remembered position; bar is null until the bar is created.
struct view_scroll {
    QScrollBar* bar = nullptr;
    int shown = 2;
    int pos = 0;
};

class CTonewarpView : public QWidget, public command_target {
    Q_OBJECT

   public:
    explicit CTonewarpView(CTonewarpDoc* doc, QWidget* parent = nullptr);
    ~CTonewarpView() override;

    CTonewarpDoc* GetDocument() const { return doc_; }
    view_disp_state& disp() { return st_; }
    extr_state& extr() { return *ex_; }
    const disp_layout& layout() const { return *lay_; }
    const QImage& image() const { return image_; }
    bool initialised() const { return init_done_; }
    view_scroll& part_scroll() { return part_bar_; }
    view_scroll& start_scroll() { return start_bar_; }
    const QFont& disp_font() const { return font_; }
    sound_out* snd();
    int timer_active() const { return timer_active_; }
    // Starts (100 ms) or stops timer 1 and keeps the timer-active flag.
    void set_timer1(bool run);

    // Extraction control and playback of this view.
    view_control& control() { return *ctl_; }

    // Menu commands: extraction (32771), its parameters (32772), the marks
    // (32774, 32775) and the display mode (32776).
    bool on_command(int id) override;

    // Playback flags the play buttons show (kept by playback).
    play_btn_state play_btns;

    // Shows a user message (title "確认"-style box, exclamation icon). Tests
    // replace it to capture the text instead of opening a modal box.
    std::function<void(const char* text)> message_box;

    // The device context over the backing image; releasing it has the
    // window repainted from the image.
    std::unique_ptr<draw_ctx> get_dc();

    // The painters' view of this window.
    paint_scene scene();

    // Recomputes the layout from the cell, the client size, the display
    // mode and the parts' expanded flags.
    void set_disp_rect();
    // The frame: boxes and labels, then the scroll bars and the play buttons.
    void draw_back_frame(draw_ctx* dc);
    // All values and waveforms, on a device context of its own.
    void draw_all_data();

    // The paint entry of a full repaint: the bad-file message, layout, frame,
    // values and, while an extraction runs, the progress bar.
    void on_draw();
    // Asks for a full repaint at the next paint of the window.
    void request_full_repaint();

    // The range to extract and play: from the start mark (or frame 0) to the
    // end mark (or the last frame), kept in the extraction state and copied
    // into the document.
    void calc_ext_range();

    // Brings the texts of the menu items that follow the view's state up to
    // date: extract / abort, the two marks, the display mode.
    void update_menu_texts();

    // The part-name dialog's buffer of this view.
    part_name_edit& name_edit() { return name_edit_; }

    // Creates the part-list scroll bar (hidden) if it does not exist / destroys it.
    void create_part_scroll();
    void destroy_part_scroll();

    // ---- Frequency display and input (freq_mode.cpp, input_mouse.cpp,
    // input_keys.cpp, scroll_bars.cpp, context_menu.cpp) ----

    // Command 32776: normal mode <-> frequency analysis display.
    void on_disp_mode_cmd();

    // What the spectrum shows (channel, component, scale).
    freq_sel& spc_sel() { return freq_.sel; }
    const key_seq_buf& key_buf() const { return keys_; }

    // The left-click handler: range, then zoom buttons, play buttons, click
    // position, part icon and function buttons, in this order.
    void on_left_click(int x, int y);
    // A double click on a listed part's title renames it.
    void on_double_click(int x, int y);
    // One typed character (a CP932 byte) into the typed-key buffer.
    void on_char(char c);
    // A request from one of the two scroll bars; reported is the thumb's
    // position for thumb codes.
    void on_scroll(QScrollBar* bar, sb_code code, int reported);
    // The right-click menu at a screen position.
    void open_ext_popup(const QPoint& global_pos);
    // Mouse-wheel turns (in eighths of a degree, 120 a notch, up positive)
    // for what target moves; whole notches only, the rest kept for the next.
    void on_wheel(wheel_target target, int delta);

    // Whole-recording functions on the working copy, then the values repainted.
    void make_cancel_dt();
    void restore_copy_dt();
    // Switches part i in or out of the mix and rebuilds the mix.
    void toggle_part_mix(int i);

   public slots:
    // Timer 1 (every 100 ms from the first paint): the extraction step, then
    // the playback step.
    virtual void on_timer_tick();

   protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    // The input focus makes this the active view and its document the
    // active document, and brings the menu texts up to date.
    void focusInEvent(QFocusEvent* e) override;
    // Input: left clicks (the play buttons among them), double clicks,
    // keys and typed characters, the right-click menu.
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    // The wheel over the view, and over its two bars (their own wheel
    // handling is replaced by the view's line steps).
    void wheelEvent(QWheelEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

   private:
    void first_paint_init();
    void create_disp_font();
    void open_sound_out();
    void place_scroll(view_scroll& sb, const view_rect& r);
    void post_bad_file_message();
    freq_scene* freq_snapshot();
    void connect_scroll(QScrollBar* bar);
    void repaint_frame_and_values();

    CTonewarpDoc* doc_;
    view_disp_state st_;
    std::unique_ptr<extr_state> ex_;
    std::unique_ptr<disp_layout> lay_;
    std::unique_ptr<part_icons> icons_;
    QImage image_;
    QFont font_;
    view_scroll part_bar_;
    view_scroll start_bar_;
    QTimer timer1_;
    int timer_active_ = 2;  // 1 while timer 1 runs, 2 while it is stopped
    bool init_done_ = false;
    bool full_pending_ = false;
    bool in_paint_ = false;
    part_name_edit name_edit_;
    freq_scene freq_;
    std::unique_ptr<wave_summary_set> sums_;  // min/max summaries of the document's buffers
    key_seq_buf keys_;
    int wheel_rest_ = 0;  // wheel turn short of a whole notch
    std::unique_ptr<view_control> ctl_;  // last: it refers to the state above
};
