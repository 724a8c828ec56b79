// A whole extraction run without a window, driven the way the view drives
// it: the extract command, then one batch per timer tick until the
// finishing tick, with no waiting between ticks.
#pragma once

#include <functional>

class CTonewarpDoc;
struct extr_state;
struct extr_steps;

// Sets the state's range from first .. last (inclusive) and copies it into
// the document (extr_stt_ptr, extr_end_ptr, extr_dt_cnt).
void set_extr_range(extr_state& st, CTonewarpDoc& doc, int first, int last);

// Runs the extraction over the range already set, each call one
// extr_drive_step (engine/extr_drive.h) as the window makes it:
//  command: err_stop = 2, state 1, the step (initialisation and the first
//           batch; a range that batch covered stays at state 3);
//  ticks:   while the state is 2, the step (one batch);
//  finish:  the step at state 3 (smoothing, "Total_Diff.", areas freed,
//           state 0), and the mix rebuilt.
// on_tick, when given, is called after every batch. Returns the number of
// ticks run (the command's batch and the finishing tick not counted).
//
// threads 2 or more: the frames are made ahead on a worker thread
// (engine/frame_ahead.h) while this thread takes every decision in the same
// order, so the results are the same doubles and bytes as with threads 1,
// which makes every frame on this thread. A worker that cannot be started
// leaves the run on this thread alone.
long run_extraction(extr_state& st, CTonewarpDoc& doc, extr_steps& steps,
                    const std::function<void(const extr_state&)>& on_tick = {}, int threads = 1);
