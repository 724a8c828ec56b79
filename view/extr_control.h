// Extraction control of the recording view: the range to extract and play,
// the extract / abort command, the start and end mark commands, the timer
// tick that steps a run one batch at a time and finishes it, and the
// progress bar's geometry. No toolkit: the window is reached through
// extr_host.
//
// A run: the extract command sets err_stop 2 and state 1 and runs the first
// batch (the engine initialises the run); the state becomes 2. Every tick
// then stops the timer, runs one batch and restarts the timer. When the
// engine passes the range end, the user aborts or a step fails, the state
// is 3 and the next tick finishes the run, rebuilds the mix in the working
// copy and repaints the frame; the state is 0 again. Each engine call is
// one extr_drive_step (engine/extr_drive.h), the rule the command-line tool
// follows too.
//
// One document, one run: a second view of a document that is being
// extracted is refused (the solver's areas and the part areas live in the
// document, and two runs would release each other's memory).
#pragma once

#include <cstdint>
#include <memory>

#include "engine/extr_state.h"
#include "engine/extr_steps.h"
#include "view/layout.h"
#include "view/view_state.h"

class CTonewarpDoc;

// Menu texts that follow the state.
inline constexpr const char* txt_extract = "音源パートの抽出(&X)";
inline constexpr const char* txt_abort = "抽出処理の中断(&X)";
inline constexpr const char* txt_stt_set = "抽出開始位置の設定(&S)";
inline constexpr const char* txt_stt_clear = "抽出開始位置の解除(&S)";
inline constexpr const char* txt_end_set = "抽出終了位置の設定(&E)";
inline constexpr const char* txt_end_clear = "抽出終了位置の解除(&E)";

// Refusals.
inline constexpr const char* msg_bad_range = "抽出範囲の指定が不正です!!　";
inline constexpr const char* msg_no_click = "Wave表示領域でのクリック位置が未指定です!!　";
inline constexpr const char* msg_doc_busy = "このファイルは他のウィンドウで抽出処理中です!!　";

// The menu items whose texts follow the state.
enum class extr_item { extract, stt_mark, end_mark };

// Which extraction mark a command sets or clears.
enum class ext_mark_kind { start, end };

// The range: from the start mark (or frame 0) to the end mark (or the last
// frame), both kept inside 0 .. frames - 1, where frames is the document's
// frame count (st.data_cnt without a document). Stored in ex and copied
// into the document's extr_stt_ptr, extr_end_ptr and extr_dt_cnt. With no
// frames at all the range is 0 .. -1, of length 0.
void calc_ext_range(const view_disp_state& st, extr_state& ex, CTonewarpDoc* doc);

// Texts of the three items for the state: abort while running (state 2),
// the "解除" forms for marks that are set.
const char* extr_item_text(extr_item item, const view_disp_state& st, const extr_state& ex);

// The progress bar over the scroll line (L0 .. R0, top .. bottom): the black
// background from (back_x1, y1) to (back_x2, y2), the green bar from
// (back_x1, y1) to (bar_x2, y2) when bar is true, and the percentage (text,
// black on green) at cell (col, row) when pct_shown is true.
struct progress_look {
    int back_x1 = 0, back_x2 = 0, y1 = 0, y2 = 0;
    bool bar = false;
    int bar_x2 = 0;
    bool pct_shown = false;
    char pct_text[24] = {};
    int col = 0, row = 0;
};
progress_look calc_progress(const disp_layout& lay, const view_disp_state& st, const extr_state& ex);

// What extraction control needs from its window.
class extr_host {
   public:
    virtual ~extr_host() = default;
    // A user message (title "確認", exclamation icon); returns when it is closed.
    virtual void show_message(const char* text) = 0;
    virtual void set_item_text(extr_item item, const char* text) = 0;
    virtual void hide_start_scroll() = 0;
    // Timer 1: whether it runs, stop, start again at 100 ms.
    virtual bool timer_active() = 0;
    virtual void stop_timer() = 0;
    virtual void start_timer() = 0;
    // The scroll line repainted with the progress bar.
    virtual void repaint_progress() = 0;
    // All values (marks included) repainted over the frame.
    virtual void redraw_values() = 0;
    // The frame and the values repainted (end of a run).
    virtual void redraw_frame_and_values() = 0;
    // Start of a run: the part-list scroll bar back to position 0.
    virtual void part_list_reset() = 0;
    // End of a run (after every part was marked expanded): the layout
    // recomputed, the part-list scroll bar made afresh (hidden) and, in
    // normal mode, placed in its rectangle and shown.
    virtual void end_of_run_layout() = 0;
    // The playback part of the tick.
    virtual void playback_step() = 0;
};

class extr_control {
   public:
    // st, ex and host belong to the view and outlive this object; doc may be
    // null (nothing to extract). Without steps the engine's own are used,
    // with the part-list reset going to the host and the residual part and
    // mix written under the sound buffers' lock.
    extr_control(view_disp_state& st, extr_state& ex, CTonewarpDoc* doc, extr_host& host,
                 std::unique_ptr<extr_steps> steps = nullptr);
    // A run cut short (the window closed) gives back the solver's areas and
    // the document.
    ~extr_control();
    extr_control(const extr_control&) = delete;
    extr_control& operator=(const extr_control&) = delete;

    void calc_ext_range() { ::calc_ext_range(st_, ex_, doc_); }

    // Command 32771: start a run (idle) or abort it (running).
    void on_extract();
    // Commands 32774 and 32775: set the mark from the click mark, or clear it.
    void on_mark(ext_mark_kind kind);
    // The message of timer 1.
    void on_timer();
    // One driver step of the engine, and the view's end-of-run work when the
    // run has just reached its end or finished.
    void view_extr_step();

    int tick_cnt() const { return tick_cnt_; }
    extr_steps& steps() { return *steps_; }

   private:
    void finish_tick();
    bool claim_doc();
    void release_doc();

    view_disp_state& st_;
    extr_state& ex_;
    CTonewarpDoc* doc_;
    extr_host& host_;
    std::unique_ptr<extr_steps> steps_;
    int tick_cnt_ = 0;
    bool claimed_ = false;  // this control holds the document's one run
};

// True while some view runs an extraction on doc.
bool doc_run_active(const CTonewarpDoc* doc);
